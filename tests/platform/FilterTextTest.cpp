#include <gtest/gtest.h>

#include <QStringList>

#include "FilterText.h"

namespace wexlan {
namespace {

QStringList Filters(const std::string& text) {
    return QtNameFiltersFromFilterText(text);
}

TEST(FilterTextTest, EachPairBecomesADescriptionWithItsGlobsInParentheses) {
    EXPECT_EQ(
        Filters("All supported file formats (*.aaa,*.bbb)|*.aaa;*.bbb;|"
                "Alpha (*.aaa)| *.aaa|Beta (*.bbb)| *.bbb||"),
        QStringList({"All supported file formats (*.aaa *.bbb)", "Alpha (*.aaa)", "Beta (*.bbb)"}));
    EXPECT_EQ(Filters("Script file (*.f) | *.f |"), QStringList({"Script file (*.f)"}));
    EXPECT_EQ(Filters("Matrix (*.mat) | *.mat|"), QStringList({"Matrix (*.mat)"}));
    EXPECT_EQ(Filters("  Images | *.png ; *.jpg ;|"), QStringList({"Images (*.png *.jpg)"}));
    EXPECT_EQ(Filters("Legacy (old)|*.x|"), QStringList({"Legacy (old) (*.x)"}));
}

TEST(FilterTextTest, TheListEndsAtTheFirstEmptyFieldAndIsNeverEmpty) {
    const QStringList all = {"All files (*)"};
    EXPECT_EQ(Filters(""), all);
    EXPECT_EQ(Filters("All supported file formats (|||"), all);  // a reader with no formats
    EXPECT_EQ(Filters("A (*.a)|*.a|B"), QStringList({"A (*.a)"}));
    EXPECT_EQ(Filters("A|*.a"), QStringList({"A (*.a)"}));
    EXPECT_EQ(Filters("A|*.a||B|*.b|"), QStringList({"A (*.a)"}));
    EXPECT_EQ(Filters("A|;|B|*.b|"), QStringList({"B (*.b)"}));
}

}  // namespace
}  // namespace wexlan
