// What the converters print around their per-file lines, and the folder helpers of the
// end-to-end tests.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

extern const std::string kVeltraBanner;
extern const std::string kMorvexBanner;

// The closing lines of a run that converted `converted` files.
std::string VeltraSummary(int converted);
std::string MorvexSummary(int converted);

// The names of a folder's visible and hidden entries in the order the system lists them, which
// is the order of a batch.
std::vector<std::string> ListingOrder(const TempFolder& folder);
std::set<std::string> FilesIn(const TempFolder& folder);
