#include "dpxtool/disk_image_info.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "dpxtool/command.h"

// The description of flux and bit-cell images (.HFE, .SCP) and of the tracks of a plain image
// belongs here; today a DPX-1 image without a bank is named as such and anything else refused.
int DescribeDiskImage(const std::string& path, bool isDpxImage, bool json) {
    if (!isDpxImage) {
        ReportProblem(path, "neither an Emulator II bank nor a DPX-1 disk image");
        return kExitNothingDone;
    }
    const char* kind = "DPX-1 disk image without an Emulator II bank";
    if (json) {
        const nlohmann::json document = {{"file", path}, {"kind", kind}};
        std::printf("%s\n", document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    } else {
        std::printf("%-14s %s (%s)\n", "File", path.c_str(), kind);
    }
    return kExitDone;
}
