#include <gtest/gtest.h>

#include <QStringList>
#include <utility>

#include "FilterText.h"

namespace wexlan {
namespace {

// Each pair becomes a description with its globs in parentheses; the list ends at the first
// empty field and is never empty.
TEST(FilterTextTest, PairsBecomeQtNameFiltersUpToTheFirstEmptyField) {
    const std::pair<const char*, QStringList> cases[] = {
        {"All supported file formats (*.aaa,*.bbb)|*.aaa;*.bbb;|Alpha (*.aaa)| *.aaa||B|*.b|",
         {"All supported file formats (*.aaa *.bbb)", "Alpha (*.aaa)"}},
        {"Script file (*.f) | *.f |", {"Script file (*.f)"}},
        {"  Images | *.png ; *.jpg ;|", {"Images (*.png *.jpg)"}},
        {"Legacy (old)|*.x|", {"Legacy (old) (*.x)"}},
        {"", {"All files (*)"}},
        {"All supported file formats (|||", {"All files (*)"}},  // a reader with no formats
        {"A (*.a)|*.a|B", {"A (*.a)"}},
        {"A|*.a", {"A (*.a)"}},
        {"A|;|B|*.b|", {"B (*.b)"}},
    };
    for (const auto& [text, filters] : cases) {
        EXPECT_EQ(QtNameFiltersFromFilterText(text), filters) << text;
    }
}

}  // namespace
}  // namespace wexlan
