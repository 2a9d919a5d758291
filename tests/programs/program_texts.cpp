#include "tests/programs/program_texts.h"

#include <filesystem>

const std::string kVeltraBanner =
    "* * * * EII TO OBERHEIM DPX DISK IMAGE TRANSLATION UTILITY V01.02.4 * * * *\n\n";
const std::string kMorvexBanner =
    "* * * * OBERHEIM DPX TO EII DISK IMAGE TRANSLATION UTILITY V01.02.4 * * * *\n\n";

namespace {

std::string Summary(const std::string& program, const std::string& from, const std::string& to,
                    int converted) {
    std::string counted = converted == 0
                              ? program + " did not convert any " + from + "-file\n\n"
                              : program + " has succesfully converted " + std::to_string(converted) + " " +
                                    from + "-files into " + to + "-files\n\n";
    return "\n\n" + counted + "* * * * * * * * * * * * THANK YOU FOR USING " + program +
           " * * * * * * ** * * * * *\n\nPress a key...\n";
}

}  // namespace

std::string VeltraSummary(int converted) {
    return Summary("VELTRA", "EII", "DPX", converted);
}

std::string MorvexSummary(int converted) {
    return Summary("MORVEX", "DPX", "EII", converted);
}

std::vector<std::string> ListingOrder(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    return names;
}

std::set<std::string> FilesIn(const TempFolder& folder) {
    std::vector<std::string> names = ListingOrder(folder);
    return std::set<std::string>(names.begin(), names.end());
}
