// The Support page's flags: one shell call each, on in-memory services.
#include "platform/memory/memory_controls.h"
#include "platform/memory/memory_services.h"
#include "support/support_page.h"

#include <gtest/gtest.h>

#include <set>

namespace talvex {
namespace {

struct Flag {
    const char* country;
    void (SupportPage::*click)();
    const char* host; // the site the flag opens
};

constexpr Flag kFlags[] = {
    {"Australia", &SupportPage::ImgAustralia_Click, "www.talvex.com.au"},
    {"Canada", &SupportPage::ImgCanada_Click, "www.talvex.ca"},
    {"China", &SupportPage::ImgChina_Click, "www.talvex.com.cn"},
    {"Denmark", &SupportPage::ImgDenmark_Click, "www.talvex.dk"},
    {"Egypt", &SupportPage::ImgEgypt_Click, "www.talvex-me.com"},
    {"France", &SupportPage::ImgFrance_Click, "www.talvex.fr"},
    {"Germany", &SupportPage::ImgGermany_Click, "www.talvex.de"},
    {"India", &SupportPage::ImgIndia_Click, "www.talvex.co.in"},
    {"Japan", &SupportPage::ImgJapan_Click, "www.talvex.co.jp"},
    {"Singapore", &SupportPage::ImgSingapore_Click, "www.talvex.com"},
    {"Sweden", &SupportPage::ImgSweden_Click, "www.talvex.se"},
    {"Taiwan", &SupportPage::ImgTaiwan_Click, "www.talvex.com.tw"},
    {"UK", &SupportPage::ImgUK_Click, "www.talvex.co.uk"},
    {"USA", &SupportPage::ImgUSA_Click, "www.talvex-usa.com"},
};

class SupportPageTest : public testing::Test {
  protected:
    // The host name one click on the flag opened, after checking the call's other arguments.
    std::string Click(const Flag& flag) {
        services.shellCalls.clear();
        (page.*flag.click)();
        EXPECT_EQ(services.shellCalls.size(), 1u) << flag.country;
        if (services.shellCalls.size() != 1) return {};
        const MemoryServices::ShellCall& call = services.shellCalls[0];
        EXPECT_EQ(call.owner, window.hWnd()) << flag.country;
        EXPECT_EQ(call.operation, "open") << flag.country;
        EXPECT_EQ(call.parameters, "") << flag.country;
        EXPECT_EQ(call.directory, "") << flag.country;
        EXPECT_EQ(call.showCommand, 5) << flag.country;
        return call.file;
    }

    MemoryServices services;
    MemoryFormWindow window;
    SupportPage page{SupportControls{}, services, window};
};

TEST_F(SupportPageTest, EachFlagOpensItsOwnSiteByItsBareWebHostWithOneShellCall) {
    std::set<std::string> hosts;
    for (const Flag& flag : kFlags) {
        const std::string host = Click(flag);
        EXPECT_EQ(host, flag.host) << flag.country;
        // A bare host name the shell recognises as a web address: "www." and nothing after it
        // but the name.
        EXPECT_EQ(host.rfind("www.", 0), 0u) << flag.country << ": " << host;
        EXPECT_EQ(host.find_first_of("/:? "), std::string::npos) << host;
        hosts.insert(host);
    }
    EXPECT_EQ(hosts.size(), std::size(kFlags));
}

TEST_F(SupportPageTest, EgyptAndSingaporeOpenTheMiddleEastAndInternationalSites) {
    EXPECT_EQ(Click(kFlags[4]), "www.talvex-me.com");
    EXPECT_EQ(Click(kFlags[9]), "www.talvex.com");
}

TEST_F(SupportPageTest, RepeatedClicksOpenTheSiteEachTime) {
    page.ImgGermany_Click();
    page.ImgGermany_Click();
    ASSERT_EQ(services.shellCalls.size(), 2u);
    EXPECT_EQ(services.shellCalls[0].file, services.shellCalls[1].file);
}

} // namespace
} // namespace talvex
