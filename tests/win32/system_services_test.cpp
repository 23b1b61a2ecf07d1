// The machine's address as the General page shows it, chosen from the resolver's list and, where
// that holds only loopback, from the interfaces Winsock lists.
#include "platform/win32/system_services.h"

#include <gtest/gtest.h>

namespace talvex::win32 {
namespace {

TEST(MachineAddress, TheResolversFirstOtherThanLoopbackThenTheInterfacesLoopbackLast) {
    const IPv4Address loopback{127, 0, 0, 1}, debianLoopback{127, 0, 1, 1},
        lan{192, 168, 10, 20}, other{10, 0, 2, 15}, below{126, 255, 255, 255},
        above{128, 0, 0, 0};
    struct Case {
        std::vector<IPv4Address> resolver, interfaces;
        const char* shown;
    };
    const Case cases[] = {
        {{lan, other}, {other}, "192.168.10.20"},
        {{loopback, debianLoopback, other}, {lan}, "10.0.2.15"},
        {{debianLoopback}, {loopback, lan, other}, "192.168.10.20"}, // hosts file: the interfaces
        {{}, {loopback, other}, "10.0.2.15"},
        {{below}, {lan}, "126.255.255.255"}, // only 127.x is loopback
        {{loopback}, {above}, "128.0.0.0"},
        {{debianLoopback, loopback}, {loopback}, "127.0.1.1"}, // nothing else anywhere
        {{}, {}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseMachineAddress(c.resolver, c.interfaces), c.shown) << c.shown;

    // Winsock lists this machine's interfaces, so the loopback-only answer has somewhere to go.
    const std::string fromInterfaces = ChooseMachineAddress({loopback}, InterfaceAddresses());
    EXPECT_FALSE(fromInterfaces.empty());
    EXPECT_NE(fromInterfaces.rfind("127.", 0), 0u) << fromInterfaces;
}

} // namespace
} // namespace talvex::win32
