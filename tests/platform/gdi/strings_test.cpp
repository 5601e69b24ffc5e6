#include <gtest/gtest.h>

#include "skelvane/cstring.h"
#include "skelvane/rect.h"

TEST(CStringTest, FormatsConcatenatesAndSlices)
{
    CString s;
    s.Format("%s;%d", "Walls", 12);
    EXPECT_EQ(s, "Walls;12");
    EXPECT_EQ(s.GetLength(), 8);
    EXPECT_EQ(s.Find(';'), 5);
    EXPECT_EQ(s.Left(5), "Walls");
    EXPECT_EQ(s.Mid(6), "12");
    EXPECT_EQ(s.Mid(20), "");
    EXPECT_EQ(s.Right(2), "12");
    EXPECT_EQ(CString("Hello ") + s, "Hello Walls;12");
    EXPECT_EQ(CString(static_cast<const char *>(nullptr)), "");
    EXPECT_EQ(CString("door").CompareNoCase("DOOR"), 0);

    std::string long_text(5000, 'x');
    s.Format("%s", long_text.c_str());
    EXPECT_EQ(s.GetLength(), 5000);
}

TEST(CStringArrayTest, GrowsAndChecksIndexes)
{
    CStringArray names;
    EXPECT_EQ(names.Add("a"), 0);
    EXPECT_EQ(names.Add("b"), 1);
    EXPECT_EQ(names.GetSize(), 2);
    EXPECT_EQ(names[1], "b");
    names.SetAtGrow(4, "e");
    EXPECT_EQ(names.GetSize(), 5);
    EXPECT_EQ(names[3], "");
    EXPECT_THROW(names.GetAt(5), std::out_of_range);
    EXPECT_THROW(names.GetAt(-1), std::out_of_range);
}

TEST(CRectTest, EmptyMeansNoPositiveArea)
{
    EXPECT_TRUE(CRect().IsRectEmpty());
    EXPECT_TRUE(CRect(10, 0, 5, 20).IsRectEmpty());
    CRect r(50, 0, 250, 200);
    EXPECT_FALSE(r.IsRectEmpty());
    EXPECT_EQ(r.Width(), 200);
    EXPECT_EQ(r.Height(), 200);
}
