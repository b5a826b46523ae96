#include <gtest/gtest.h>

#include <QTabBar>
#include <memory>
#include <vector>

#include "CComponentUI.h"
#include "CMyTabCtrl.h"
#include "TestApplication.h"

// Pages are shown one at a time and stay their creators' whichever of page and host goes first.
TEST(ComponentTabs, PagesAreShownOneAtATimeAndStayTheirCreators) {
    wexlan::EnsureTestApplication();
    auto host = std::make_unique<CComponentUI>();
    host->OnInitDialog();
    host->resize(300, 200);
    host->show();
    CMyTabCtrl* tabs = host->GetTabCtrl();
    EXPECT_EQ(tabs->geometry(), QRect(2, 2, 296, 196));
    std::vector<std::unique_ptr<QWidget>> pages;  // deleted first: the host never deletes them
    const auto shown = [&] {                      // which pages are shown, as a string of 0 and 1
        std::string shown;
        for (const auto& page : pages) {
            shown += page && page->isVisibleTo(tabs) ? '1' : '0';
        }
        return shown;
    };
    host->InitTab();  // no tabs: nothing happens
    for (const char* label : {"Alpha", "Beta", "beta"}) {
        pages.push_back(std::make_unique<QWidget>());
        host->AddTabItem(host->GetNumberOfTabs(), label, pages.back().get());  // as the facade
    }
    EXPECT_EQ(shown(), "000");  // adding shows nothing
    host->InitTab();
    EXPECT_EQ(shown(), "100");
    EXPECT_EQ(pages[0]->geometry(), tabs->DisplayArea());
    EXPECT_GT(tabs->DisplayArea().top(), tabs->GetTabBar()->geometry().bottom());
    tabs->GetTabBar()->setCurrentIndex(1);  // a person clicks the second header
    EXPECT_EQ(shown(), "010");
    host->SelectTab("BETA");  // the later of two labels equal but for case
    EXPECT_EQ(shown(), "001");
    host->SelectTab("Bet");  // no such label
    host->HideTabs();
    EXPECT_EQ(shown(), "000");
    EXPECT_EQ(tabs->GetCurSel(), 2);
    host->UpdateTab("Alpha");
    EXPECT_EQ(shown(), "000");

    // A module deletes its page while the host lives: the host forgets it.
    pages[2].reset();
    EXPECT_EQ(tabs->GetPage(2), nullptr);
    host->SelectTab("beta");
    host->resize(320, 240);
    host->SelectTab("Alpha");
    EXPECT_EQ(shown(), "100");
    // The host goes first: the pages still alive are handed back, hidden and without
    // parent, for their modules to delete (once).
    host.reset();
    EXPECT_TRUE(pages[0]->parentWidget() == nullptr && pages[0]->isHidden() &&
                pages[1]->parentWidget() == nullptr);
}

TEST(ComponentTabs, TheLimitOf128TabsAndNoLayoutBeforeInitialisation) {
    wexlan::EnsureTestApplication();
    CComponentUI host;
    const QRect before = host.GetTabCtrl()->geometry();
    host.resize(500, 500);
    host.show();
    EXPECT_EQ(host.GetTabCtrl()->geometry(), before);
    host.OnInitDialog();
    std::vector<std::unique_ptr<QWidget>> pages(CMyTabCtrl::kMaxPages + 1);
    for (int i = 0; i <= CMyTabCtrl::kMaxPages; ++i) {
        pages[i] = std::make_unique<QWidget>();
        EXPECT_EQ(host.AddTabItem(i, "tab", pages[i].get()), i < 128) << i;
    }
    EXPECT_FALSE(host.AddTabItem(0, "null", nullptr));
    EXPECT_EQ(host.GetTabCtrl()->GetTabCount(), 128);
    EXPECT_EQ(pages[128]->parentWidget(), nullptr);
    EXPECT_EQ(host.GetTabCtrl()->AddPage(pages[128].get()), -1);
}
