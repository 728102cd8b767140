#include "core/CoreState.h"
#include "core/MathLibrary.h"

void ResetCoreState() {
    MathLibrary::SetReporter(nullptr);
}
