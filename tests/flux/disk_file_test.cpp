#include "flux/disk_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(DiskFileTest, TellsTheFormatByTheExtensionInAnyLetterCase) {
    struct Case {
        const char* name;
        DiskFileFormat format;
    };
    const Case cases[] = {
        {"BANK.DPX", DiskFileFormat::kPlainImage},  {"disk.img", DiskFileFormat::kPlainImage},
        {"a/b.c/Disk.Hfe", DiskFileFormat::kHfe},   {"dump.scp", DiskFileFormat::kScp},
        {"bank.eii", DiskFileFormat::kUnknown},     {"dpx", DiskFileFormat::kUnknown},
        {"old.hfe/disk", DiskFileFormat::kUnknown}, {"disk.scp.bak", DiskFileFormat::kUnknown},
    };
    for (const Case& c : cases) EXPECT_EQ(DiskFileFormatOfName(c.name), c.format) << c.name;
}

TEST(DiskFileTest, ChecksTheSignatureOrSizeTheNamePromises) {
    struct Case {
        const char* what;
        DiskFileFormat format;
        std::vector<uint8_t> bytes;
        std::string error;
    };
    const std::string hfe = "HXCPICFE";
    const Case cases[] = {
        {"plain image", DiskFileFormat::kPlainImage, std::vector<uint8_t>(901120), ""},
        {"plain image a byte short", DiskFileFormat::kPlainImage, std::vector<uint8_t>(901119),
         "a plain image has 901120 bytes, this file 901119"},
        {"HFE", DiskFileFormat::kHfe, std::vector<uint8_t>(hfe.begin(), hfe.end()), ""},
        {"SCP named HFE", DiskFileFormat::kHfe, {'S', 'C', 'P'}, "not an HFE file (no HXCPICFE signature)"},
        {"SCP", DiskFileFormat::kScp, {'S', 'C', 'P', 0}, ""},
        {"HFE named SCP", DiskFileFormat::kScp, std::vector<uint8_t>(hfe.begin(), hfe.end()),
         "not an SCP file (no SCP signature)"},
        {"unknown", DiskFileFormat::kUnknown, {}, "the name ends in none of .dpx, .img, .hfe, .scp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckDiskFile(c.format, c.bytes.data(), c.bytes.size()).error, c.error) << c.what;
}
