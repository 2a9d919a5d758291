#include "convert/out_name.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

TEST(DetermineOutFileNameTest, DerivesAFreeNameBesideTheInput) {
    struct Case {
        const char* input;
        char kind;
        std::vector<std::string> existing;
        const char* expected;
    };
    const Case cases[] = {
        {"PIANO.EII", 'D', {}, "PIANO.DPX"},
        {"PIANO.EII", 'D', {"PIANO.DPX"}, "PIANO_1.DPX"},
        {"PIANO.EII", 'D', {"PIANO.DPX", "PIANO_1.DPX"}, "PIANO_2.DPX"},
        {"PIANO.DPX", 'E', {"PIANO.EII"}, "PIANO_1.EII"},
        {"PIANO", 'D', {}, "PIANO.DPX"},
        {"A.B.EII", 'D', {}, "A.B.DPX"},
        {".EII", 'D', {}, ".EII.DPX"},
        {"piano.eii", 'D', {}, "piano.DPX"},
        {"sub/PIANO.EII", 'D', {"sub/PIANO.DPX"}, "sub/PIANO_1.DPX"},
        {"sub.d/PIANO", 'D', {}, "sub.DPX"},                // the last '.' may lie in the folder part
        {"PIANO.EII", 'D', {"PIANO.DPX/"}, "PIANO_1.DPX"},  // a folder of that name counts as taken
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Enter();
        std::filesystem::create_directory("sub");
        for (const std::string& name : c.existing) {
            if (name.back() == '/')
                std::filesystem::create_directory(name.substr(0, name.size() - 1));
            else
                WriteTextFile(name, "x");
        }
        char outName[kOutNameBufferSize];
        DetermineOutFileName(0, c.input, outName, c.kind);
        EXPECT_STREQ(outName, c.expected) << c.input;
    }
}

TEST(DetermineOutFileNameTest, NameThatCannotFitIsEmpty) {
    TempFolder folder;
    folder.Enter();
    char outName[kOutNameBufferSize];
    std::string fits(252, 'p');  // 252 + ".DPX" = 256 characters
    DetermineOutFileName(0, fits.c_str(), outName, 'D');
    EXPECT_EQ(std::string(outName), fits + ".DPX");

    std::string tooLong(253, 'p');
    DetermineOutFileName(0, tooLong.c_str(), outName, 'D');
    EXPECT_STREQ(outName, "");
}
