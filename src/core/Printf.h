#pragma once
// printf-style formatting into std::string; the system's texts are printf formats.
#include <string>

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Copies at most size-1 characters of text into a fixed-size record field and
// terminates it, the way texts enter the system's fixed buffers.
std::string CutToField(const std::string& text, std::size_t size);
