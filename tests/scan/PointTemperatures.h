#pragma once
// The temperatures of a scan file's point lines (the lines after its
// five-line header), as the scan tests compare them.
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

inline std::vector<double> PointTemperatures(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<double> temperatures;
    int n = 0;
    for (std::string line; std::getline(in, line);)
        if (++n > 5) temperatures.push_back(std::atof(line.c_str()));
    return temperatures;
}
