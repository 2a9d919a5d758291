// dpxtool's disk commands run as a separate process: convert between plain, HFE and SCP images,
// and info on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "floppy/format_track.h"
#include "floppy/layout.h"
#include "flux/disk_image.h"
#include "flux/hfe.h"
#include "tests/flux/flux_test_support.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace {

// The disk files of a test folder: DISK.DPX (random bytes), EMPTY.HFE (an empty DPX-1 disk),
// DAMAGED.HFE (DISK.DPX with sector 2 of cylinder 12, head 1 damaged), NOTES.TXT and FAKE.SCP
// (a plain image).
void WriteDisks(const TempFolder& folder, const std::vector<uint8_t>& image) {
    WriteWholeFile(folder.File("DISK.DPX"), image);
    std::vector<uint8_t> empty(kDiskBytes, 0);
    std::copy(kEmptyDiskIdentificationBlock.begin(), kEmptyDiskIdentificationBlock.end(),
              empty.begin() + kLargeSectorsBytes);
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteDiskImage(DiskFileFormat::kHfe, empty.data(), &file).ok());
    WriteWholeFile(folder.File("EMPTY.HFE"), file);
    HfeDisk disk;
    ASSERT_TRUE(WriteDiskImage(DiskFileFormat::kHfe, image.data(), &file).ok());
    ASSERT_TRUE(ReadHfe(file.data(), file.size(), &disk).ok());
    std::vector<uint8_t>& cells = disk.tracks[12 * 2 + 1].cells;
    std::fill(cells.begin() + DpxDataByte(2) * 16 + 800, cells.begin() + DpxDataByte(2) * 16 + 832, 0);
    ASSERT_TRUE(WriteHfe(disk, &file).ok());
    WriteWholeFile(folder.File("DAMAGED.HFE"), file);
    WriteTextFile(folder.File("NOTES.TXT"), "not a disk\n");
    WriteWholeFile(folder.File("FAKE.SCP"), image);
}

}  // namespace

TEST(DpxtoolDiskTest, ConvertRoundTripsThroughHfeAndScp) {
    const std::vector<uint8_t> image = RandomDiskImage(0);
    TempFolder folder;
    WriteDisks(folder, image);
    const std::vector<std::vector<std::string>> chains = {{"DISK.DPX", "DISK.HFE", "BACK.DPX"},
                                                          {"DISK.DPX", "DISK.SCP", "BACK.IMG"},
                                                          {"DISK.DPX", "disk.scp", "disk.hfe", "back.dpx"}};
    for (const std::vector<std::string>& chain : chains) {
        SCOPED_TRACE(chain.back());
        for (size_t step = 0; step + 1 < chain.size(); ++step) {
            const ProgramRun run =
                RunProgram("dpxtool", {"convert", chain[step], chain[step + 1]}, folder.path().string());
            EXPECT_EQ(run.exitCode, 0) << run.errors;
            EXPECT_EQ(run.output, "960 of 960 sectors good\n");
            EXPECT_EQ(run.errors, "");
        }
        EXPECT_TRUE(ReadWholeFile(folder.File(chain.back())) == image);
    }
}

TEST(DpxtoolDiskTest, ExitCodesLinesAndFilesLeft) {
    const std::vector<uint8_t> image = RandomDiskImage(0);
    std::vector<uint8_t> damaged = image;
    std::fill(damaged.begin() + TrackOffset(12, 1) + 2048, damaged.begin() + TrackOffset(12, 1) + 3072, 0);
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        int exitCode;
        std::string output;  // standard output starts so
        std::string errors;  // the whole of standard error
        std::string made;    // a file the run leaves, with the bytes below
        const std::vector<uint8_t>* bytes;
    };
    const Case cases[] = {
        {"damaged sector listed and zeroed",
         {"convert", "DAMAGED.HFE", "OUT.DPX"},
         1,
         "959 of 960 sectors good\ncylinder 12 head 1 sector 2: data CRC error (zeros in OUT.DPX)\n",
         "",
         "OUT.DPX",
         &damaged},
        {"unknown output extension",
         {"convert", "DISK.DPX", "OUT.BIN"},
         2,
         "",
         "dpxtool: OUT.BIN: the name ends in none of .dpx, .img, .hfe, .scp\n",
         "",
         nullptr},
        {"unreadable input",
         {"convert", "NOTHERE.SCP", "OUT.DPX"},
         2,
         "",
         "dpxtool: NOTHERE.SCP: cannot be opened",
         "",
         nullptr},
        {"unknown input extension",
         {"convert", "NOTES.TXT", "OUT.DPX"},
         2,
         "",
         "dpxtool: NOTES.TXT: the name ends in none of .dpx, .img, .hfe, .scp\n",
         "",
         nullptr},
        {"input not what its name says",
         {"convert", "FAKE.SCP", "OUT.DPX"},
         2,
         "",
         "dpxtool: FAKE.SCP: not an SCP file (no SCP signature)\n",
         "",
         nullptr},
        {"output is the input",
         {"convert", "DISK.DPX", "./DISK.DPX"},
         2,
         "",
         "dpxtool: ./DISK.DPX: Problem writing file ./DISK.DPX: it is the input file and has been left as it "
         "is. (11040)\n",
         "DISK.DPX",
         &image},
        {"info of an empty disk",
         {"info", "EMPTY.HFE"},
         0,
         "File           EMPTY.HFE\nFormat         HFE, 80 cylinders, 2 sides, 250 kbit/s, 300 rpm\nSectors  "
         "      960 of 960 good\nDisk           an empty DPX-1 disk, as NIMROSE",
         "",
         "",
         nullptr},
        {"info of a damaged disk",
         {"info", "DAMAGED.HFE"},
         1,
         "File           DAMAGED.HFE\nFormat         HFE, 80 cylinders, 2 sides, 250 kbit/s, 300 "
         "rpm\nSectors        959 of 960 good\nDisk           neither",
         "",
         "",
         nullptr},
        {"info of no disk",
         {"info", "NOTES.TXT"},
         2,
         "",
         "dpxtool: NOTES.TXT: neither an Emulator II bank nor a DPX-1 disk image\n",
         "",
         nullptr},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        TempFolder folder;
        WriteDisks(folder, image);
        const ProgramRun run = RunProgram("dpxtool", test.arguments, folder.path().string());
        EXPECT_EQ(run.exitCode, test.exitCode);
        EXPECT_EQ(run.output.substr(0, test.output.size()), test.output);
        EXPECT_EQ(run.errors.substr(0, test.errors.size()), test.errors);
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), test.errors.empty() ? 0 : 1)
            << run.errors;
        if (test.bytes != nullptr) {
            EXPECT_TRUE(ReadWholeFile(folder.File(test.made)) == *test.bytes);
        }
        if (test.exitCode == 2) {
            EXPECT_FALSE(std::filesystem::exists(folder.File("OUT.DPX")));
        }
    }
}
