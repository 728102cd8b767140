#pragma once
/* The rack's C interface (libvantris_sim.so). One rack per process, made on
 * first use from the file named by VANTRIS_SIM_CONFIG (unset or empty: the
 * built-in defaults). */
#ifdef __cplusplus
extern "C" {
#endif

int vantris_sim_configure(const char* path, char* error, int errorSize);
int vantris_sim_truth(char* buffer, int size);
int vantris_sim_serial_open(const char* comName);
long vantris_sim_serial_write(int handle, const void* data, long count);
long vantris_sim_serial_read(int handle, void* data, long max);
void vantris_sim_serial_set_rts(int handle, int on);
int vantris_sim_serial_cts(int handle);
void vantris_sim_serial_close(int handle);
void vantris_sim_set_manual_clock(int on);
void vantris_sim_advance(double seconds);

#ifdef __cplusplus
}
#endif
