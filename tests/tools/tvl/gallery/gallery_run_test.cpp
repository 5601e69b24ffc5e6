// tvl gallery and tvl cache as a user runs them, on libraries made by the writer.
#include "tools/tvl/png_picture.h"
#include "tools/tvl/tvl_run.h"

namespace {

using tvlw::Point;

std::vector<tvlw::Entity> square(double side, const std::string &layer = "0")
{
    return {make("LINE")(8, layer)(10, Point{0, 0, 0})(11, Point{side, 0, 0}),
            make("LINE")(8, layer)(10, Point{side, 0, 0})(11, Point{side, side, 0}),
            make("LINE")(8, layer)(10, Point{side, side, 0})(11, Point{0, side, 0}),
            make("LINE")(8, layer)(10, Point{0, side, 0})(11, Point{0, 0, 0})};
}

class tvl_gallery : public tvl_test {
protected:
    // The symbols SQUARE, PANEL and MOUNT (which inserts the unlisted block PIN).
    std::string parts_library(double square_side = 1.0, const std::string &file = "lib.tvl")
    {
        tvlw::LibraryWriter writer;
        writer.add_layer("EDGES", 1, 0, "CONTINUOUS");
        writer.add_layer("FACES", 3, 0, "CONTINUOUS");
        const auto block = [&](const std::string &name, const std::vector<tvlw::Entity> &entities,
                                std::vector<tvlw::Dependency> dependencies, bool listed = true) {
            tvlw::BlockOptions options;
            options.dependencies = std::move(dependencies);
            options.listed = listed;
            writer.add_block(name, tvlw::encode_block(writer.settings(), 0, {}, "", entities), options);
        };
        block("SQUARE", square(square_side, "EDGES"), {{tvlw::type_layer, "EDGES", 0, {}}});
        block("PANEL",
              {make("3DFACE")(8, "FACES")(10, Point{-1, 0, -1})(11, Point{1, 0, -1})(12, Point{1, 0, 1})(
                  13, Point{-1, 0, 1})},
              {{tvlw::type_layer, "FACES", 0, {}}});
        block("PIN", {make("CIRCLE")(8, "EDGES")(10, Point{0, 0, 0})(40, 0.5)}, {{tvlw::type_layer, "EDGES", 0, {}}},
              false);
        std::vector<tvlw::Entity> mount = square(4.0, "EDGES");
        mount.push_back(make("INSERT")(8, "EDGES")(2, "PIN")(10, Point{2, 2, 0}));
        block("MOUNT", mount, {{tvlw::type_layer, "EDGES", 0, {}}, {tvlw::type_block, "PIN", 0, {}}});
        EXPECT_TRUE(writer.save(path(file)));
        return path(file);
    }

    tvl_result gallery(const std::vector<std::string> &libraries, std::vector<std::string> more = {})
    {
        std::vector<std::string> args{"gallery"};
        args.insert(args.end(), libraries.begin(), libraries.end());
        for (const std::string &a : {std::string("-o"), path("site"), std::string("--cache"), path("cache"),
                                     std::string("--jobs"), std::string("2")})
            args.push_back(a);
        args.insert(args.end(), more.begin(), more.end());
        return tvl(args);
    }

    std::string site(const std::string &file) const { return skeltest::read_file(path("site/" + file)); }
};

TEST_F(tvl_gallery, writes_a_card_a_page_and_pictures_for_every_symbol)
{
    const tvl_result r = gallery({parts_library()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, path("site") + "/index.html\n");
    EXPECT_NE(r.err.find("3 symbols, 6 pictures drawn"), std::string::npos) << r.err;
    const std::string index = site("index.html");
    EXPECT_LT(index.find("data-name=\"SQUARE\""), index.find("data-name=\"PANEL\""));
    EXPECT_LT(index.find("data-name=\"PANEL\""), index.find("data-name=\"MOUNT\""));
    EXPECT_EQ(index.find("PIN"), std::string::npos); // unlisted blocks have no card
    EXPECT_NE(index.find("data-layers=\"FACES\""), std::string::npos);
    EXPECT_NE(index.find("loading=\"lazy\""), std::string::npos);
    EXPECT_NE(site("gallery.js").find("addEventListener"), std::string::npos);
    for (int i = 0; i < 3; ++i) {
        picture thumb;
        ASSERT_TRUE(read_png(path("site/pictures/0-" + std::to_string(i) + ".png"), thumb));
        EXPECT_EQ(thumb.width, 128);
        picture views;
        ASSERT_TRUE(read_png(path("site/pictures/0-" + std::to_string(i) + "-views.png"), views));
        EXPECT_EQ(views.width, 384);
        EXPECT_EQ(views.height, 384);
    }
    const std::string mount = site("symbols/0-2.html");
    EXPECT_NE(mount.find("<h1>MOUNT</h1>"), std::string::npos);
    EXPECT_NE(mount.find("<li>PIN <small>(1 entity)</small></li>"), std::string::npos);
    EXPECT_NE(mount.find("<td>LINE</td><td>4</td>"), std::string::npos);
    EXPECT_NE(mount.find("<td>INSERT</td><td>1</td>"), std::string::npos);
    EXPECT_NE(mount.find("<td>EDGES</td>"), std::string::npos);
    // The square of side 4 spans x from 0 to 4 (the pin lies inside it).
    EXPECT_NE(mount.find("<tr><th>x</th><td>0</td><td>4</td><td>4</td></tr>"), std::string::npos) << mount;
    EXPECT_NE(mount.find("rel=\"prev\" href=\"0-1.html\""), std::string::npos);
    // Downloads made by tvl export, the OBJ with its materials beside it.
    EXPECT_NE(mount.find("href=\"../exports/0-2/MOUNT.dxf\" download>dxf"), std::string::npos);
    EXPECT_NE(site("exports/0-2/MOUNT.dxf").find("SECTION"), std::string::npos);
    EXPECT_NE(site("exports/0-2/MOUNT.svg").find("<svg"), std::string::npos);
    EXPECT_NE(site("exports/0-2/MOUNT.obj").find("mtllib MOUNT.mtl"), std::string::npos);
    EXPECT_FALSE(site("exports/0-2/MOUNT.mtl").empty());
}

TEST_F(tvl_gallery, second_run_draws_nothing_and_an_edited_symbol_is_drawn_again)
{
    const std::string lib = parts_library();
    ASSERT_EQ(gallery({lib}).status, 0);
    tvl_result r = gallery({lib});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("0 pictures drawn, 6 from the cache"), std::string::npos) << r.err;
    // A rewritten library where only SQUARE changed: its two pictures alone are drawn.
    parts_library(2.0);
    r = gallery({lib});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("2 pictures drawn"), std::string::npos) << r.err;
    EXPECT_NE(site("symbols/0-0.html").find("<tr><th>x</th><td>0</td><td>2</td>"), std::string::npos);
    // Another size is another picture.
    r = gallery({lib}, {"--size", "64"});
    EXPECT_NE(r.err.find("3 pictures drawn"), std::string::npos) << r.err;
}

TEST_F(tvl_gallery, damaged_cache_files_are_rebuilt)
{
    const std::string lib = parts_library();
    ASSERT_EQ(gallery({lib}).status, 0);
    for (const auto &entry : std::filesystem::recursive_directory_iterator(path("cache")))
        if (entry.is_regular_file())
            std::ofstream(entry.path(), std::ios::trunc) << "\x01garbage\tline\n";
    // The facts are read again from the library; the site is complete.
    const tvl_result r = gallery({lib});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(site("index.html").find("data-name=\"MOUNT\""), std::string::npos);
    EXPECT_NE(site("symbols/0-2.html").find("<li>PIN"), std::string::npos);
}

TEST_F(tvl_gallery, runs_at_once_share_the_cache)
{
    const std::string lib = parts_library();
    const auto both = skeltest::run_together(
        {skeltest::tvl_command({"gallery", lib, "--cache", path("cache"), "-o", path("a")}),
         skeltest::tvl_command({"gallery", lib, "--cache", path("cache"), "-o", path("b")})});
    ASSERT_EQ(both[0].status, 0) << both[0].err;
    ASSERT_EQ(both[1].status, 0) << both[1].err;
    for (const char *s : {"a", "b"})
        for (int i = 0; i < 3; ++i) {
            picture p;
            EXPECT_TRUE(read_png(path(std::string(s) + "/pictures/0-" + std::to_string(i) + "-views.png"), p));
        }
    long leftovers = 0;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(path("cache")))
        leftovers += entry.path().string().find(".tmp-") != std::string::npos ? 1 : 0;
    EXPECT_EQ(leftovers, 0);
}

TEST_F(tvl_gallery, libraries_get_sections_and_names_are_escaped)
{
    const std::string first = parts_library(1.0, "first.tvl");
    const std::string second = library({{"A<B>&\xE9", square(1.0)}});
    const tvl_result r = gallery({first, second});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string index = site("index.html");
    EXPECT_LT(index.find("<h2>first.tvl"), index.find("<h2>lib.tvl"));
    EXPECT_NE(index.find("href=\"symbols/1-0.html\""), std::string::npos);
    EXPECT_NE(index.find("data-name=\"A&lt;B&gt;&amp;\xC3\xA9\""), std::string::npos);
    EXPECT_EQ(index.find("A<B>"), std::string::npos);
}

TEST_F(tvl_gallery, failures_are_reported_and_the_rest_is_written)
{
    tvl_result r = gallery({path("missing.tvl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("tvl gallery: no library"), std::string::npos) << r.err;

    tvlw::LibraryWriter writer;
    writer.add_block("GOOD", tvlw::encode_block(writer.settings(), 0, {}, "", square(1.0)));
    writer.add_index_name("GHOST"); // listed, but there is no block to deliver
    writer.add_block("NOTHING", tvlw::encode_block(writer.settings(), 0, {}, "", {}));
    ASSERT_TRUE(writer.save(path("ghost.tvl")));
    r = gallery({path("ghost.tvl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("1 symbols could not be drawn"), std::string::npos) << r.err;
    const std::string index = site("index.html");
    EXPECT_NE(index.find("no picture</span><span class=\"name\">GHOST"), std::string::npos) << index;
    // A symbol without entities is drawn, but its card says so instead of a blank picture.
    EXPECT_NE(index.find("empty</span><span class=\"name\">NOTHING"), std::string::npos) << index;
    EXPECT_NE(site("symbols/0-1.html").find("could not be drawn"), std::string::npos);

    r = gallery({path("ghost.tvl")}, {"--size", "5"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--size must lie between"), std::string::npos) << r.err;
}

TEST_F(tvl_gallery, cache_info_counts_and_clear_empties)
{
    ASSERT_EQ(gallery({parts_library()}).status, 0);
    tvl_result r = tvl({"cache", "info", "--cache", path("cache")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("pictures: 6\nlibraries: 1\n"), std::string::npos) << r.out;
    r = tvl({"cache", "clear", "--cache", path("cache")});
    ASSERT_EQ(r.status, 0) << r.err;
    r = tvl({"cache", "info", "--cache", path("cache")});
    EXPECT_NE(r.out.find("pictures: 0\nlibraries: 0\n"), std::string::npos) << r.out;
    EXPECT_NE(tvl({"cache", "tidy"}).status, 0);
}

} // namespace
