// apply_bench: how long OK takes to write the driver's parameters under Wine. Both settings pages
// are visited, so OK writes all eight values, VLAN first; TxStartThreshold is the last write.
// Before each OK the user picks another threshold, and the clock stops when the program has
// written it; the time until the restart question is up is printed beside it, and the same eight
// values written by a bare program as the reference.
//   apply_bench [runs]
#include "tests/e2e/settings_driver.h"

#include "gui/advanced_page_window.h"
#include "gui/form1_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace talvex::e2e;

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool ShowWindowAndTab(HANDLE process, HWND window, int tab, const char* page) {
    if (!IsWindowVisible(window)) TrayClick(window, WM_LBUTTONUP);
    if (!WaitUntil([&] { return IsWindowVisible(window) != FALSE; })) return false;
    HWND tabs = FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
    return ClickTab(process, tabs, tab) && WaitUntil([&] {
               auto pages = ChildrenInZOrder(window, talvex::win32::kPageClassName);
               return !pages.empty() && WindowText(pages.front()) == page;
           });
}

void Print(const char* what, const std::vector<double>& samples) {
    std::printf("%-28s median %7.2f ms   min %7.2f ms   max %7.2f ms\n", what, Median(samples),
                *std::min_element(samples.begin(), samples.end()),
                *std::max_element(samples.begin(), samples.end()));
}

// The eight values OK writes, written the plainest way (each opens, sets and closes the key): the
// reference for OK's own time, which also reads each value first.
void WriteEightValues(const StoredValue& threshold) {
    SetParameter("ConnectionType", Dword(0));
    SetParameter("NetworkAddress", Text("02004C4F4F50"));
    SetParameter("RxBuffer", Dword(32));
    SetParameter("TxBuffer", Dword(16));
    SetParameter("TxStartThreshold", threshold);
    SetParameter("EnableTagging", Dword(1));
    SetParameter("EnableGVRP", Dword(0));
    SetParameter("VLANID", Dword(5));
}

} // namespace

int main(int argc, char** argv) {
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 10);
    ClearNetworkCards();
    ClearParameters();
    SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
    const StoredValue threshold = Dword(512);
    WriteEightValues(threshold);

    App app;
    HWND window = app.Start() ? app.WaitForMainWindow() : nullptr;
    if (!window || !ShowWindowAndTab(app.process(), window, 2, "VLAN") ||
        !ShowWindowAndTab(app.process(), window, 1, "Advanced")) {
        std::fprintf(stderr, "apply_bench: the program did not start\n");
        return 1;
    }
    std::vector<double> toLastWrite, toQuestion;
    HWND properties = PageControl(window, "Advanced", talvex::win32::kIdAdvAdaptInfo);
    HWND values = PageControl(window, "Advanced", talvex::win32::kIdAdvKeyValueList);
    SelectRow(properties, 4);
    for (int run = 0; run < runs; ++run) {
        // 1024 and Store and Forward in turn, neither of them the 512 seeded.
        const int entry = 3 + run % 2;
        const StoredValue picked = Dword(entry == 3 ? 1024 : 8188);
        PickEntry(values, entry);
        if (!WaitUntil([&] { return ListSelection(values) == entry; })) {
            std::fprintf(stderr, "apply_bench: run %d could not pick a threshold\n", run + 1);
            return 1;
        }
        HWND ok = ChildWithText(window, "Button", "OK");
        LARGE_INTEGER start, written, asked;
        QueryPerformanceCounter(&start);
        PostMessageA(ok, BM_CLICK, 0, 0);
        while (GetParameter("TxStartThreshold") != picked) { // a tight poll: no sleep
        }
        QueryPerformanceCounter(&written);
        HWND question = nullptr;
        while (!(question = app.FindTopLevel("TalvexModalForm"))) {
        }
        QueryPerformanceCounter(&asked);
        toLastWrite.push_back(Milliseconds(start, written));
        toQuestion.push_back(Milliseconds(start, asked));
        WaitUntil([&] { return ChildWithText(question, "Button", "NO") != nullptr; });
        PostMessageA(ChildWithText(question, "Button", "NO"), BM_CLICK, 0, 0);
        if (!WaitUntil([&] { return !IsWindow(question) && !IsWindowVisible(window); }) ||
            !ShowWindowAndTab(app.process(), window, 1, "Advanced")) {
            std::fprintf(stderr, "apply_bench: run %d did not finish\n", run + 1);
            return 1;
        }
    }
    std::vector<double> bareWrites;
    for (int run = 0; run < runs; ++run) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        WriteEightValues(threshold);
        QueryPerformanceCounter(&end);
        bareWrites.push_back(Milliseconds(start, end));
    }
    std::printf("OK with both pages visited, %d runs:\n", runs);
    Print("OK to the last registry write", toLastWrite);
    Print("OK to the restart question", toQuestion);
    Print("eight bare registry writes", bareWrites);
    PostMessageA(window, WM_CLOSE, 0, 0);
    app.WaitForExit();
    ClearParameters();
    ClearNetworkCards();
    return 0;
}
