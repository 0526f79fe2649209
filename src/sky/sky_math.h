// Angles: the program's pi and its one conversion from degrees.
#pragma once

constexpr double pi = 3.141592653589793;

constexpr double radians(double degrees) { return degrees * 2 * pi / 360; }
