#include "app/Application.h"
#include "bus/GpibBus.h"

// The two programs differ only in the bus back-end they link.
int main(int argc, char** argv) {
    return RunApplication(argc, argv, &MakeGpibBus);
}
