#include "convert/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/trace.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<std::string> ListNames(const ImageOverview* first, int32_t count) {
    std::vector<std::string> names;
    if (count == 0) return names;
    for (const ImageOverview* node = first; node != nullptr; node = node->next) names.push_back(node->Name);
    return names;
}

}  // namespace

TEST(GetFileOverviewTest, ListsEveryVisibleRegularFile) {
    TempFolder folder;
    folder.Enter();
    WriteTextFile("PIANO.EII", "a");
    WriteTextFile("notes.txt", "b");
    WriteTextFile("STRINGS.DPX", "c");
    WriteTextFile(".hidden.EII", "d");
    std::filesystem::create_directory("bank folder");
    std::filesystem::create_directory(".git");

    ImageOverview* first = InitImageOverview(0, kContextNumber, kPassThroughByte);
    int32_t count = -1;
    StatusRecord status = GetFileOverview(0, first, &count);
    ASSERT_EQ(status.code, 0);
    EXPECT_EQ(count, 3);
    std::vector<std::string> names = ListNames(first, count);
    std::sort(names.begin(), names.end());  // the listing's own order is the system's
    EXPECT_EQ(names, (std::vector<std::string>{"PIANO.EII", "STRINGS.DPX", "notes.txt"}));
    FreeImageOverviewMem(0, kContextNumber, kPassThroughByte, first);
}

TEST(GetFileOverviewTest, FolderWithoutCandidatesCountsZero) {
    TempFolder folder;
    folder.Enter();
    WriteTextFile(".only-hidden", "x");
    std::filesystem::create_directory("sub");
    ImageOverview* first = InitImageOverview(0, kContextNumber, kPassThroughByte);
    int32_t count = -1;
    ASSERT_EQ(GetFileOverview(0, first, &count).code, 0);
    EXPECT_EQ(count, 0);
    FreeImageOverviewMem(0, kContextNumber, kPassThroughByte, first);
}

TEST(GetFileOverviewTest, DetailTraceShowsTheDecisions) {
    TempFolder folder;
    folder.Enter();
    WriteTextFile("A.EII", "a");
    ImageOverview* first = InitImageOverview(0, kContextNumber, kPassThroughByte);
    int32_t count = 0;
    StartConsoleCapture();
    GetFileOverview(kTraceDetails, first, &count);
    std::string console = StopConsoleCapture();
    FreeImageOverviewMem(0, kContextNumber, kPassThroughByte, first);
    EXPECT_NE(console.find("*DEBUGGING* A.EII ["), std::string::npos) << console;
    EXPECT_NE(console.find("][Y]\n"), std::string::npos);
    EXPECT_NE(console.find("No of files in current folder: 1\n1 - A.EII\n--END: GetFileOverview--\n"),
              std::string::npos)
        << console;
}

TEST(FileExistsTest, FilesAndFoldersExist) {
    TempFolder folder;
    folder.Enter();
    WriteTextFile("there.EII", "x");
    std::filesystem::create_directory("folder");
    EXPECT_EQ(FileExists(0, "there.EII"), 0);
    EXPECT_EQ(FileExists(0, "folder"), 0);
    EXPECT_EQ(FileExists(0, "missing.EII"), 1);
}
