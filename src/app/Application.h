#pragma once
#include "app/Thall.h"

// The whole program: start-up, main frame, message loop, shut-down.
int RunApplication(int argc, char** argv, Thall::BusFactory makeBus);
