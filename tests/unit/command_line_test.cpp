#include "app/command_line.h"

#include <gtest/gtest.h>

namespace tk::app {
namespace {

TEST(SilentRule, OnlyTheExactThreeArgumentFormIsSilent) {
    struct Case {
        std::vector<std::string> arguments;
        bool silent;
    };
    const Case cases[] = {
        {{"-silent", "0", "C:\\X"}, true},
        {{"-silent", "1", "C:\\X"}, true},
        {{"-silent", "1", "C:\\X", "extra"}, true},
        {{}, false},
        {{"-silent", "2", "C:\\X"}, false},
        {{"-silent", "1"}, false},
        {{"-silent", "0", ""}, false},
        {{"-Silent", "0", "C:\\X"}, false},
        {{"-SILENT", "0", "C:\\X"}, false},
        {{"/silent", "0", "C:\\X"}, false},
        {{"-silent", "00", "C:\\X"}, false},
        {{"-silent", " 0", "C:\\X"}, false},
        {{"0", "-silent", "C:\\X"}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSilentCommand(c.arguments).has_value(), c.silent)
            << ::testing::PrintToString(c.arguments);
    }
}

TEST(SilentRule, CarriesEditionAndFolder) {
    const auto command = ParseSilentCommand({"-silent", "1", "D:\\Cafe Filter"});
    ASSERT_TRUE(command);
    EXPECT_EQ(command->edition, install::kClientEdition);
    EXPECT_EQ(command->folder, "D:\\Cafe Filter");
}

TEST(SplitCommandLine, QuotesGroupAndBackslashesStayOrdinary) {
    EXPECT_EQ(SplitCommandLine(R"("C:\Setup Files\setup.exe" -silent 0 "C:\Program Files\X\")"),
              (std::vector<std::string>{R"(C:\Setup Files\setup.exe)", "-silent", "0",
                                        R"(C:\Program Files\X\)"}));
    EXPECT_EQ(SplitCommandLine("setup.exe   -silent\t1  C:\\A\\B "),
              (std::vector<std::string>{"setup.exe", "-silent", "1", "C:\\A\\B"}));
    EXPECT_EQ(SplitCommandLine(R"(setup.exe -silent 0 "")"),
              (std::vector<std::string>{"setup.exe", "-silent", "0", ""}));
    EXPECT_EQ(SplitCommandLine(R"(setup.exe C:\"Some Folder"\sub)"),
              (std::vector<std::string>{"setup.exe", R"(C:\Some Folder\sub)"}));
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

}  // namespace
}  // namespace tk::app
