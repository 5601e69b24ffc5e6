// Hostile inputs given to tvl as a user would give them.  Each must end soon,
// in bounded memory, with a message on stderr and a non-zero exit.
#include <sys/stat.h>

#include "tvl_run.h"
#include "writer/entity_encoder.h"

using tvlw::LibraryWriter;

namespace {

// One 3DFACE and `repeats` one-byte repeats of it: compressed, a few bytes
// stand for millions of faces.
LibraryWriter face_bomb(int repeats)
{
    rt::PlainBlock block;
    block.entity(tvlw::entity_type_number("3DFACE")).str(8, "0");
    block.point(10, 0, 0, 0).point(11, 1, 0, 0).point(12, 1, 1, 0).point(13, 0, 1, 0).end_entity();
    block.bytes().insert(block.bytes().end(), static_cast<std::size_t>(repeats), std::uint8_t{0x100 - 25});
    LibraryWriter w;
    w.add_block("BOMB", block.finish(), {.compression = tvlw::Compression::method2});
    return w;
}

} // namespace

// A pipe named as the library, or as the colour file, blocked in open forever.
TEST_F(TvlTest, APipeIsRefusedNotWaitedOn)
{
    ASSERT_EQ(::mkfifo(dir.file("p.tvl").c_str(), 0600), 0);
    ToolRun r = tvl({"list", dir.file("p.tvl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\nCannot open library file: " + dir.file("p.tvl") + ". ");
    EXPECT_EQ(r.err, "tvl list: " + dir.file("p.tvl") + ": cannot be opened\n");

    LibraryWriter w;
    w.add_block("ONE", rt::PlainBlock().line("0", 0, 0, 1, 1).finish());
    const std::string library = save(w);
    ASSERT_EQ(::mkfifo(dir.file("colors.txt").c_str(), 0600), 0);
    r = tvl({"scene", library, "ONE", "--colors", dir.file("colors.txt")});
    EXPECT_NE(r.out.find("lines 1"), std::string::npos) << r.out; // read as no colour file
}

// 107 KB made 8 million triangles, 49 s and 2.8 GB, and a memory limit killed
// the host: the definition must fail at its bound with the reader's message.
TEST_F(TvlTest, AFaceBombFailsAtTheDefinitionBound)
{
    const std::string library = save(face_bomb(600000));
    const ToolRun r = tvl({"scene", library, "BOMB"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("Symbol definition exceeds 500000 entities."), std::string::npos) << r.err.substr(0, 300);
    EXPECT_EQ(r.out, "");
}

// An index that cannot be walked is not an empty one.
TEST_F(TvlTest, AnUnreadableIndexIsSaidToBeUnreadable)
{
    LibraryWriter w;
    w.add_block("DOOR", rt::PlainBlock().finish());
    tvlw::Layout layout;
    auto bytes = w.bytes(&layout);
    bytes[layout.index.at("DOOR")] = 7; // not an index record
    rt::write_bytes(dir.file("bad.tvl"), bytes);
    ToolRun r = tvl({"list", dir.file("bad.tvl")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\nCannot read library file.");
    EXPECT_EQ(r.err, "tvl list: " + dir.file("bad.tvl") + ": its symbol index cannot be read\n");

    LibraryWriter hidden;
    hidden.add_block("*ANON", rt::PlainBlock().finish());
    r = tvl({"list", save(hidden, "hidden.tvl")});
    EXPECT_EQ(r.err, "tvl list: " + dir.file("hidden.tvl") + ": holds no listed symbols\n");
}

// A name over the limit gave "RESULT 0" and not a word why.
TEST_F(TvlTest, AnOverlongSymbolNameIsExplained)
{
    LibraryWriter w;
    w.add_block("DOOR", rt::PlainBlock().finish());
    const ToolRun r = tvl({"dump", save(w), std::string(124, 'N')});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("longer than 123 characters"), std::string::npos) << r.err;
}
