// The remote's command line: the autostart switch in any letter case and the parameter after it.
#include "app/remocon_command_line.h"

#include <gtest/gtest.h>

using namespace tesmora;

TEST(RemoconCommandLine, AutostartInAnyCaseKeepsTheNextParameter) {
    for (const char16_t* form : {u"/autostart", u"-AutoStart", u"/AUTOSTART"}) {
        RemoconCommandLine info;
        info.ParseArguments({form, u"5"});
        EXPECT_TRUE(info.AutoStart());
        EXPECT_EQ(info.AutoStartParameter(), u"5");
    }
}

TEST(RemoconCommandLine, OtherArgumentsChangeNothing) {
    RemoconCommandLine info;
    info.ParseArguments({u"autostart", u"/autostartx", u"file.txt"});
    EXPECT_FALSE(info.AutoStart());
    EXPECT_TRUE(info.AutoStartParameter().empty());

    RemoconCommandLine last;
    last.ParseArguments({u"/autostart"});
    EXPECT_TRUE(last.AutoStart());
    EXPECT_TRUE(last.AutoStartParameter().empty());
}
