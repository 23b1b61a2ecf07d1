// Form1's controls in memory, pages included, for the native tests.
#pragma once

#include "tests/doubles/memory_advanced_page.h"
#include "platform/memory/memory_controls.h"
#include "tests/doubles/memory_diag_page.h"
#include "tests/doubles/memory_general_page.h"
#include "tests/doubles/memory_support_page.h"
#include "tests/doubles/memory_vlan_page.h"
#include "shell/form1.h"

namespace talvex {

struct MemoryForm1 {
    MemoryForm1() {
        // A fresh window's pages lie in creation order, the Diagnostic page on top here so that
        // start-up has to bring General forward.
        frmDiag.BringToFront();
    }
    MemoryForm1(const MemoryForm1&) = delete;
    MemoryForm1& operator=(const MemoryForm1&) = delete;

    Form1Controls Controls() {
        return {&window,
                &cbNetCardDesp,
                &tabs,
                &frmGeneral,
                &frmAdvanced,
                &frmVLAN,
                &frmSupport,
                &frmDiag,
                &mnuShowHide,
                general.Controls(),
                advanced.Controls(),
                vlan.Controls(),
                support.Controls(),
                diag.Controls()};
    }

    ZOrder topLevel, pages;
    MemoryFormWindow window;
    MemoryList cbNetCardDesp{topLevel, "Select a network adapter"};
    MemoryTabStrip tabs{topLevel, 4};
    MemoryControl frmGeneral{pages, "General"}, frmAdvanced{pages, "Advanced"},
        frmVLAN{pages, "VLAN"}, frmSupport{pages, "Support"}, frmDiag{pages, "Diagnostic"};
    MemoryMenuItem mnuShowHide{kTrayMenu[0].caption};

    MemoryGeneralPage general;

    MemoryAdvancedPage advanced;

    MemoryVlanPage vlan;

    MemorySupportPage support;

    MemoryDiagPage diag;
};

} // namespace talvex
