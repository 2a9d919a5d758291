// A bank as one self-contained HTML page: the bank's numbers on top, a drawn keyboard for every
// preset with its key areas coloured by voice and labelled, a waveform for every voice with its
// loop marked, and the samples; damaged parts are drawn as such. Inline CSS and SVG only: no
// script, nothing fetched from elsewhere.
#pragma once

#include <cstdint>
#include <string>

#include "inspect/bank_file.h"
#include "inspect/bank_listing.h"

std::string BuildReportHtml(int8_t trace, const BankFile& file, const BankListing& listing);
