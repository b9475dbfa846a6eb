// The program's version, for its version resource, its manifest and its removal log alike.
// Written for the resource compiler too, which takes only the preprocessor's macros.
#pragma once

#define CORVINA_VERSION_MAJOR 1
#define CORVINA_VERSION_MINOR 0
#define CORVINA_VERSION_PATCH 0
#define CORVINA_VERSION_BUILD 0

#define CORVINA_TEXT_OF(number) #number
#define CORVINA_DOTTED(a, b, c, d)                                                                 \
    CORVINA_TEXT_OF(a) "." CORVINA_TEXT_OF(b) "." CORVINA_TEXT_OF(c) "." CORVINA_TEXT_OF(d)
// "1.0.0.0"
#define CORVINA_VERSION_TEXT                                                                       \
    CORVINA_DOTTED(CORVINA_VERSION_MAJOR, CORVINA_VERSION_MINOR, CORVINA_VERSION_PATCH,            \
                   CORVINA_VERSION_BUILD)
