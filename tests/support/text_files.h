// Whole files as text, and counts of a text in them: what a test reads back
// from a run's out.txt, checkpoint or log.
#pragma once

#include <string>

// The file's bytes, or "" when it cannot be read.
std::string read_file(const std::string& path);
// Replaces the file with `text`; false if it cannot be written whole.
bool write_file(const std::string& path, const std::string& text);
// How often `needle` stands in `text`, the occurrences not overlapping.
int count_occurrences(const std::string& text, const std::string& needle);
