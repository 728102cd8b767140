#pragma once
// Live measurement settings: what the configuration sheet edits, the settings
// sets store and every measurement reads.
struct MeasurementSettings {
    double Current = 100.0;  // always microamperes
    int Iunits = 1;          // display unit: 0 mA, 1 uA, 2 nA, 3 pA
    int AC = 0;
    int Delay = 0;         // seconds
    int Integrations = 0;  // seconds
    int Cycles = 1;
    int TargVrVDP = 0;  // millivolts
    int TargVrBar = 0;
    int TargVrBridge = 0;
    double ScatFactor = 1.0;
    double Tesla = 0.0;
    unsigned char LogInclude = 0;
    double eVsurface = 0.0;
    double eVinner = 0.0;
    bool bufferAmplifierMode = false;  // the buffer amplifier carries this measurement's current
    double bufferSourceValue = 0.0;    // source value actually set in buffered mode
};
