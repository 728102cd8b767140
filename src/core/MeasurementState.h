#pragma once
class QObject;

// Which measurement window runs, whether the operator asked to stop, and
// whether a run is in progress.
struct MeasurementState {
    QObject* currentWindow = nullptr;
    bool cancelRequested = false;
    bool busy = false;
    int measurementStatus = 0;  // 1 while a resistivity or Hall run is under way
};
