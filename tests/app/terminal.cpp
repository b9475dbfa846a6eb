// Stands in for a running MetaTrader terminal: a process named terminal.exe that waits.
#include <windows.h>

int main() {
    Sleep(120000); // ends by itself should a test forget it
    return 0;
}
