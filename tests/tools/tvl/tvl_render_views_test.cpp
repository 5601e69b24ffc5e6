// tvl render: views chosen for the symbol, framing that counts lines, honest
// exit codes.
#include "png_picture.h"
#include "tvl_run.h"

namespace {

using tvlw::Point;

constexpr unsigned white = 0xFFFFFFu;

// A 10 x 6 rectangle of lines lying flat in the x-y plane, off the origin.
std::vector<tvlw::Entity> flat_rectangle()
{
    const Point a{20, 30, 0}, b{30, 30, 0}, c{30, 36, 0}, d{20, 36, 0};
    return {make("LINE")(10, a)(11, b), make("LINE")(10, b)(11, c), make("LINE")(10, c)(11, d),
            make("LINE")(10, d)(11, a)};
}

// An open box of faces: depth in every direction.
std::vector<tvlw::Entity> box()
{
    std::vector<tvlw::Entity> faces;
    auto face = [&](Point p, Point q, Point r, Point s) {
        faces.push_back(make("3DFACE")(10, p)(11, q)(12, r)(13, s));
    };
    face({0, 0, 0}, {4, 0, 0}, {4, 0, 3}, {0, 0, 3});
    face({4, 0, 0}, {4, 5, 0}, {4, 5, 3}, {4, 0, 3});
    face({0, 0, 3}, {4, 0, 3}, {4, 5, 3}, {0, 5, 3});
    return faces;
}

class tvl_render_views : public tvl_test {
protected:
    picture render(const std::string &lib, const std::string &symbol,
                   const std::vector<std::string> &extra, int size = 200)
    {
        std::vector<std::string> args = {"render", lib, symbol, "-o", path("v.png"), "--size",
                                         std::to_string(size)};
        args.insert(args.end(), extra.begin(), extra.end());
        const tvl_result r = tvl(args);
        EXPECT_EQ(r.status, 0) << r.err;
        picture p;
        EXPECT_TRUE(read_png(path("v.png"), p));
        return p;
    }
};

TEST_F(tvl_render_views, lines_alone_fill_the_plan_view_with_the_margin)
{
    const std::string lib = library({{"RECT", flat_rectangle()}});
    const picture p = render(lib, "RECT", {});
    pixel_box drawn;
    ASSERT_TRUE(drawn_box(p, white, drawn));
    // The wider side spans 1 / 1.1 of the picture; the narrower keeps its proportion.
    EXPECT_NEAR(drawn.width(), 200 / 1.1, 4);
    EXPECT_NEAR(drawn.height(), 200 / 1.1 * 0.6, 4);
    EXPECT_NEAR((drawn.left + drawn.right) / 2.0, 99.5, 2);
    EXPECT_NEAR((drawn.top + drawn.bottom) / 2.0, 99.5, 2);
}

TEST_F(tvl_render_views, lines_alone_are_framed_even_when_the_fit_counts_faces_only)
{
    // Without faces the fit falls back to the lines rather than a field of nothing.
    const std::string lib = library({{"RECT", flat_rectangle()}});
    const picture p = render(lib, "RECT", {"--fit", "faces", "--mode", "classic"});
    pixel_box drawn;
    ASSERT_TRUE(drawn_box(p, white, drawn));
    EXPECT_NEAR(drawn.width(), 200 / 1.1, 4);
}

TEST_F(tvl_render_views, automatic_view_is_plan_for_flat_and_iso_for_solid_symbols)
{
    const std::string lib = library({{"RECT", flat_rectangle()}, {"BOX", box()}});
    auto same = [](const picture &a, const picture &b) { return a.rgb == b.rgb; };
    EXPECT_TRUE(same(render(lib, "RECT", {}), render(lib, "RECT", {"--view", "plan"})));
    EXPECT_FALSE(same(render(lib, "RECT", {}), render(lib, "RECT", {"--view", "iso"})));
    EXPECT_TRUE(same(render(lib, "BOX", {}), render(lib, "BOX", {"--view", "iso"})));
    EXPECT_FALSE(same(render(lib, "BOX", {}), render(lib, "BOX", {"--view", "plan"})));
    // An explicit angle wins over the view, the other angle being 0.
    EXPECT_TRUE(same(render(lib, "BOX", {"--view", "plan", "--tilt", "0"}),
                     render(lib, "BOX", {"--view", "front"})));
}

TEST_F(tvl_render_views, fit_all_keeps_lines_beyond_the_faces_in_the_picture)
{
    // A small face and a long line reaching far to its right.
    std::vector<tvlw::Entity> entities = {
        make("3DFACE")(10, Point{0, 0, 0})(11, Point{1, 0, 0})(12, Point{1, 1, 0})(13, Point{0, 1, 0}),
        make("LINE")(10, Point{0, 0.5, 0})(11, Point{20, 0.5, 0})};
    const std::string lib = library({{"FLAG", entities}});
    pixel_box faces_only, all;
    ASSERT_TRUE(drawn_box(render(lib, "FLAG", {"--fit", "faces"}), white, faces_only));
    ASSERT_TRUE(drawn_box(render(lib, "FLAG", {"--fit", "all"}), white, all));
    EXPECT_EQ(faces_only.right, 199); // the line runs off the picture
    EXPECT_LT(all.right, 195);
    EXPECT_GT(all.left, 4);
}

TEST_F(tvl_render_views, lines_stay_visible_in_small_pictures)
{
    const std::string lib = library({{"RECT", flat_rectangle()}});
    for (const char *size : {"128", "512"}) {
        const tvl_result r = tvl({"render", lib, "RECT", "-o", path("s.png"), "--size", size});
        ASSERT_EQ(r.status, 0) << r.err;
        picture p;
        ASSERT_TRUE(read_png(path("s.png"), p));
        // Every column across the rectangle's bottom edge is drawn.
        pixel_box drawn;
        ASSERT_TRUE(drawn_box(p, white, drawn));
        int gaps = 0;
        for (int x = drawn.left; x <= drawn.right; ++x) {
            bool hit = false;
            for (int y = drawn.bottom - 3; y <= drawn.bottom; ++y)
                hit = hit || p.color(x, y) != white;
            gaps += hit ? 0 : 1;
        }
        EXPECT_EQ(gaps, 0) << size;
    }
}

TEST_F(tvl_render_views, missing_symbol_fails_without_a_picture)
{
    const std::string lib = library({{"RECT", flat_rectangle()}});
    const tvl_result r = tvl({"render", lib, "NO_SUCH_SYMBOL", "-o", path("x.png")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot load symbol NO_SUCH_SYMBOL"), std::string::npos) << r.err;
    // The reader's own message reaches stderr ended by a line break.
    EXPECT_EQ(r.err.back(), '\n');
    EXPECT_EQ(r.out.find("Cannot"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(path("x.png")));
}

TEST_F(tvl_render_views, all_reports_failures_and_exits_non_zero)
{
    tvlw::LibraryWriter writer;
    writer.add_block("GOOD", tvlw::encode_block(writer.settings(), 0, {}, "", flat_rectangle()));
    writer.add_index_name("LOST"); // listed, but no block behind the name
    writer.add_block("ALSO_GOOD", tvlw::encode_block(writer.settings(), 0, {}, "", box()));
    ASSERT_TRUE(writer.save(path("mixed.tvl")));
    for (const char *jobs : {"1", "2"}) {
        std::filesystem::remove_all(path("out"));
        const tvl_result r =
            tvl({"render", path("mixed.tvl"), "--all", "-o", path("out"), "--size", "32", "--jobs", jobs});
        EXPECT_EQ(r.status, 1) << jobs;
        EXPECT_NE(r.out.find("2 rendered, 1 failed"), std::string::npos) << r.out;
        EXPECT_NE(r.err.find("cannot load symbol LOST"), std::string::npos) << r.err;
        EXPECT_TRUE(std::filesystem::exists(path("out/GOOD.png")));
        EXPECT_TRUE(std::filesystem::exists(path("out/ALSO_GOOD.png")));
        EXPECT_FALSE(std::filesystem::exists(path("out/LOST.png")));
    }
}

TEST_F(tvl_render_views, all_in_processes_renders_what_one_process_does)
{
    const std::string lib = library({{"RECT", flat_rectangle()}, {"BOX", box()}, {"R2", flat_rectangle()}});
    ASSERT_EQ(tvl({"render", lib, "--all", "-o", path("one"), "--size", "48"}).status, 0);
    const tvl_result r = tvl({"render", lib, "--all", "-o", path("two"), "--size", "48", "--jobs", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("3 rendered, 0 failed"), std::string::npos) << r.out;
    for (const char *name : {"RECT.png", "BOX.png", "R2.png"}) {
        picture a, b;
        ASSERT_TRUE(read_png(path(std::string("one/") + name), a));
        ASSERT_TRUE(read_png(path(std::string("two/") + name), b));
        EXPECT_EQ(a.rgb, b.rgb) << name;
    }
}

} // namespace
