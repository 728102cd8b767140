#pragma once
// How a magnet or stage motion ended (Magnet::MoveMagnet).
// How a motion ended. Failed: a fault status, the software time-out, or a
// poll error (each after its message), or a wait that ended without a status;
// the stage and magnet may then be anywhere.
enum class MotionOutcome { Done, Failed };
