#pragma once
// Declarations of the Personal488 driver calls this back-end uses. The real
// library is linked on Windows; on Linux the program links a stand-in that
// reaches the virtual instrument rack when VANTRIS_SIMULATE is 1.
#ifdef __cplusplus
extern "C" {
#endif

typedef long DevHandleT;

// Terminator description; the program always passes a null pointer ("none
// given"), so the driver's device configuration decides.
typedef struct {
    int EOI;
    int nChar;
    char eightBits;
    char term[2];
} TermT;

DevHandleT OpenName(const char* name);
long BusAddress(DevHandleT dev, long primary, long secondary);
long OutputX(DevHandleT dev, const char* data, unsigned long count, long last, long forceAddr,
             TermT* terminator, long async, void* completion);
long EnterX(DevHandleT dev, char* data, unsigned long count, long forceAddr, TermT* terminator,
            long async, void* completion);
long SPoll(DevHandleT dev);
long GetError(DevHandleT dev, char* message);
long Clear(DevHandleT dev);
long Local(DevHandleT dev);
long Remote(DevHandleT dev);
long Lol(DevHandleT dev);
long Abort(DevHandleT dev);
long ControlLine(DevHandleT dev);

#ifdef __cplusplus
}
#endif
