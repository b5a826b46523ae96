#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTabBar>
#include <memory>
#include <vector>

#include "CComponentUI.h"
#include "CMyTabCtrl.h"
#include "TestApplication.h"

using wexlan::FindLastLabel;

namespace {

class ComponentTabsTest : public ::testing::Test {
protected:
    ComponentTabsTest() {
        wexlan::EnsureTestApplication();
        host_ = std::make_unique<CComponentUI>();
        host_->OnInitDialog();
        host_->resize(300, 200);
        host_->show();
    }
    // Adds a tab the way the facade does: at the end.
    QWidget* Add(const std::string& label) {
        pages_.push_back(std::make_unique<QWidget>());
        host_->AddTabItem(host_->GetNumberOfTabs(), label, pages_.back().get());
        return pages_.back().get();
    }
    CMyTabCtrl* Tabs() const { return host_->GetTabCtrl(); }
    // Which pages are shown, as a string of 0 and 1.
    std::string Shown() const {
        std::string shown;
        for (const auto& page : pages_) {
            shown += page->isVisibleTo(Tabs()) ? '1' : '0';
        }
        return shown;
    }

    std::unique_ptr<CComponentUI> host_;
    std::vector<std::unique_ptr<QWidget>> pages_;  // deleted first: the host never deletes them
};

}  // namespace

TEST(TabLabels, LastMatchIgnoringCase) {
    EXPECT_EQ(FindLastLabel({"Alpha", "Beta", "ALPHA"}, "alpha"), 2);
    EXPECT_EQ(FindLastLabel({"Alpha", "Beta"}, "beta"), 1);
    EXPECT_EQ(FindLastLabel({"Alpha"}, "Alph"), -1);
    EXPECT_EQ(FindLastLabel({}, ""), -1);
}

TEST_F(ComponentTabsTest, PagesAreShownInTheDisplayAreaOneAtATime) {
    host_->InitTab();  // no tabs: nothing happens
    QWidget* first = Add("Alpha");
    Add("Beta");
    Add("beta");
    EXPECT_EQ(host_->GetNumberOfTabs(), 3);
    EXPECT_EQ(first->parentWidget(), Tabs());
    EXPECT_EQ(Shown(), "000");  // adding shows nothing
    host_->InitTab();
    EXPECT_EQ(Shown(), "100");
    EXPECT_EQ(first->geometry(), Tabs()->DisplayArea());
    EXPECT_GT(Tabs()->DisplayArea().top(), Tabs()->GetTabBar()->geometry().bottom());

    Tabs()->GetTabBar()->setCurrentIndex(1);  // a person clicks the second header
    EXPECT_EQ(Shown(), "010");
    host_->SelectTab("BETA");  // the later of two equal labels
    EXPECT_EQ(Shown(), "001");
    EXPECT_EQ(Tabs()->GetCurSel(), 2);
    host_->SelectTab("Gamma");
    EXPECT_EQ(Shown(), "001");
    host_->HideTabs();
    EXPECT_EQ(Shown(), "000");
    EXPECT_EQ(Tabs()->GetCurSel(), 2);
    EXPECT_EQ(Tabs()->GetTabCount(), 3);
    host_->UpdateTab("Alpha");
    EXPECT_EQ(Shown(), "000");
}

TEST_F(ComponentTabsTest, HostLayoutAndTheLimitOf128Tabs) {
    EXPECT_EQ(Tabs()->geometry(), QRect(2, 2, 296, 196));
    CComponentUI uninitialised;
    const QRect before = uninitialised.GetTabCtrl()->geometry();
    uninitialised.resize(500, 500);
    uninitialised.show();
    EXPECT_EQ(uninitialised.GetTabCtrl()->geometry(), before);

    for (int i = 0; i < CMyTabCtrl::kMaxPages; ++i) {
        Add("tab" + std::to_string(i));
    }
    QWidget extra;
    EXPECT_FALSE(host_->AddTabItem(128, "one too many", &extra));
    EXPECT_FALSE(host_->AddTabItem(0, "null", nullptr));
    EXPECT_EQ(host_->GetNumberOfTabs(), 128);
    EXPECT_EQ(Tabs()->GetTabCount(), 128);
    EXPECT_EQ(extra.parentWidget(), nullptr);
    EXPECT_EQ(Tabs()->AddPage(&extra), -1);
}

TEST_F(ComponentTabsTest, PagesStayTheirCreatorsWhicheverGoesFirst) {
    QWidget* kept = Add("Alpha");
    Add("Beta");
    Add("Gamma");
    host_->SelectTab("Gamma");
    // A module deletes its page while the host lives: the host forgets it.
    pages_[2].reset();
    EXPECT_EQ(Tabs()->GetPage(2), nullptr);
    host_->SelectTab("Gamma");
    host_->resize(320, 240);
    host_->HideTabs();
    host_->SelectTab("Alpha");
    EXPECT_TRUE(kept->isVisibleTo(Tabs()));
    // The host goes first: the pages still alive are handed back, hidden and
    // without parent, for their modules to delete (once).
    host_.reset();
    EXPECT_EQ(kept->parentWidget(), nullptr);
    EXPECT_TRUE(kept->isHidden());
    EXPECT_EQ(pages_[1]->parentWidget(), nullptr);
    pages_.clear();
}
