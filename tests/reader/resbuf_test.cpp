#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "resbuf.h"

namespace {

std::string text_of(const resbuf *rb)
{
    char text[256];
    rb_format(rb, text, sizeof text);
    return text;
}

struct counted_object {
    rb_object base;
    int refs;
};

unsigned long add_ref(rb_object *o)
{
    return ++reinterpret_cast<counted_object *>(o)->refs;
}

unsigned long release(rb_object *o)
{
    return --reinterpret_cast<counted_object *>(o)->refs;
}

const rb_object_vtbl counted_vtbl = {nullptr, add_ref, release};

} // namespace

TEST(ResbufKinds, GroupCodesMapToTheirKinds)
{
    EXPECT_EQ(rb_kind(0), RB_STRING);
    EXPECT_EQ(rb_kind(-1), RB_ENAME);
    EXPECT_EQ(rb_kind(-2), RB_ENAME);
    EXPECT_EQ(rb_kind(-3), RB_SHORT);
    EXPECT_EQ(rb_kind(-4), RB_NONE);
    EXPECT_EQ(rb_kind(10), RB_POINT3D);
    EXPECT_EQ(rb_kind(40), RB_REAL);
    EXPECT_EQ(rb_kind(50), RB_ANGLE);
    EXPECT_EQ(rb_kind(62), RB_SHORT);
    EXPECT_EQ(rb_kind(90), RB_LONG);
    EXPECT_EQ(rb_kind(105), RB_STRING);
    EXPECT_EQ(rb_kind(106), RB_NONE);
    EXPECT_EQ(rb_kind(210), RB_POINT3D);
    EXPECT_EQ(rb_kind(310), RB_BINARY);
    EXPECT_EQ(rb_kind(330), RB_ENAME);
    EXPECT_EQ(rb_kind(999), RB_STRING);
    EXPECT_EQ(rb_kind(998), RB_NONE);
    // Extended data: the remainder modulo 1000, except the two fixed codes.
    EXPECT_EQ(rb_kind(1004), RB_BINARY);
    EXPECT_EQ(rb_kind(1071), RB_LONG);
    EXPECT_EQ(rb_kind(1005), RB_STRING);
    EXPECT_EQ(rb_kind(1010), RB_POINT3D);
    EXPECT_EQ(rb_kind(1040), RB_REAL);
    EXPECT_EQ(rb_kind(1070), RB_SHORT);
    EXPECT_EQ(rb_kind(1280), RB_SHORT); // refinement applies to the code itself only
    EXPECT_EQ(rb_kind(5005), RB_STRING);
    EXPECT_EQ(rb_kind(6002), 6002);
}

TEST(ResbufKinds, RefinedKindsFoldToBasicKinds)
{
    EXPECT_EQ(rb_kind(280), RB_SHORT_270);
    EXPECT_EQ(rb_kind(295), RB_SHORT_290);
    EXPECT_EQ(rb_kind(505), RB_OBJECT);
    EXPECT_EQ(rb_kind(515), RB_LONG_510);
    EXPECT_EQ(rb_kind(525), RB_LONG_520);
    EXPECT_EQ(rb_basic_kind(280), RB_SHORT);
    EXPECT_EQ(rb_basic_kind(295), RB_SHORT);
    EXPECT_EQ(rb_basic_kind(505), RB_OBJECT);
    EXPECT_EQ(rb_basic_kind(50), RB_REAL);
    EXPECT_EQ(rb_basic_kind(RB_TYPE_NAME), RB_STRING);
    EXPECT_EQ(rb_basic_kind(RB_VOID), RB_NONE);
    EXPECT_EQ(rb_basic_kind(RB_FLOAT), RB_FLOAT);
    // The memo answers repeated questions and is not confused by alternation.
    EXPECT_EQ(rb_basic_kind(280), RB_SHORT);
    EXPECT_EQ(rb_kind(280), RB_SHORT_270);
    EXPECT_EQ(rb_kind(10), RB_POINT3D);
    EXPECT_EQ(rb_kind(280), RB_SHORT_270);
}

TEST(ResbufBuild, TypeNameAndPairsBeforeTheFinalZero)
{
    resbuf *chain = rb_build(RB_TYPE_NAME, "LAYER", 2, "WALLS", 70, 0, 0);
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->code, 0);
    EXPECT_STREQ(chain->value.string, "LAYER");
    ASSERT_NE(chain->next, nullptr);
    EXPECT_EQ(chain->next->code, 2);
    EXPECT_STREQ(chain->next->value.string, "WALLS");
    ASSERT_NE(chain->next->next, nullptr);
    EXPECT_EQ(chain->next->next->code, 70);
    EXPECT_EQ(chain->next->next->value.int16, 0);
    EXPECT_EQ(chain->next->next->next, nullptr);
    EXPECT_EQ(rb_release(chain), RB_OK);
}

TEST(ResbufBuild, EveryValueKind)
{
    const double p3[3] = {1, 2, 3};
    const double p2[2] = {4, 5};
    const int32_t name[2] = {7, 1};
    const char bytes[3] = {1, 2, 3};
    resbuf *chain = rb_build(RB_REAL, 1.5, RB_POINT2D, p2, 10, p3, RB_SHORT, 70000, RB_LONG, -5, RB_ENAME, name,
                             RB_STRING, nullptr, RB_BINARY, 3, bytes, RB_FLOAT, 0.25, RB_LIST_BEGIN, RB_NIL, RB_NONE);
    ASSERT_NE(chain, nullptr);
    std::string all;
    for (resbuf *rb = chain; rb; rb = rb->next)
        all += text_of(rb);
    EXPECT_EQ(all, "(5001.1.5)(5002.(4 5))(10.(1 2 3))(5003.4464)(5010.-5)(5006.<4294967303>)(5005.\"\")"
                   "(5091.\"010203\")Unknown basic type: 5093((nil)");
    EXPECT_FLOAT_EQ(rb_find(chain, RB_FLOAT)->value.float32, 0.25f);
    EXPECT_EQ(rb_find(chain, RB_BINARY)->value.binary.short_length, 3);
    rb_release(chain);
}

TEST(ResbufBuild, UnknownKindGivesNoChain)
{
    EXPECT_EQ(rb_build(RB_STRING, "a", 6002, RB_NONE), nullptr);
    EXPECT_EQ(rb_build(515, 1, 0), nullptr); // refined long kinds are not builder kinds
    EXPECT_EQ(rb_build(0), nullptr);
}

TEST(ResbufBuild, LongBinaryHasNoShortLength)
{
    std::string big(40000, 'x');
    resbuf *rb = rb_build(RB_BINARY, int(big.size()), big.data(), 0);
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(rb->value.binary.short_length, -1);
    EXPECT_EQ(rb->value.binary.length, 40000u);
    rb_release(rb);
}

TEST(ResbufCopy, CopiesOwnedValues)
{
    resbuf *s = rb_build(RB_STRING, "door", 0);
    resbuf *c = rb_copy(s);
    EXPECT_NE(c->value.string, s->value.string);
    EXPECT_STREQ(c->value.string, "door");
    rb_release(s);
    rb_release(c);

    const char bytes[4] = {9, 8, 7, 6};
    resbuf *b = rb_build(1004, 4, bytes, 0);
    ASSERT_NE(b, nullptr);
    resbuf *bc = rb_copy(b);
    ASSERT_EQ(bc->value.binary.length, 4u);
    EXPECT_NE(bc->value.binary.bytes, b->value.binary.bytes);
    EXPECT_EQ(std::memcmp(bc->value.binary.bytes, bytes, 4), 0);
    rb_release(b);
    rb_release(bc);

    resbuf *empty = rb_new(RB_BINARY);
    resbuf *ec = rb_copy(empty);
    EXPECT_EQ(ec->value.binary.length, 0u);
    EXPECT_EQ(ec->value.binary.bytes, nullptr);
    rb_release(empty);
    rb_release(ec);
}

TEST(ResbufCopy, ObjectReferencesAreCounted)
{
    counted_object obj{{&counted_vtbl}, 1};
    resbuf *rb = rb_build(505, &obj.base, 0);
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(obj.refs, 2);
    resbuf *copy = rb_copy(rb);
    EXPECT_EQ(obj.refs, 3);
    rb_release(copy);
    rb_release(rb);
    EXPECT_EQ(obj.refs, 1);
}

TEST(ResbufChain, FindLastAppendAndRelease)
{
    EXPECT_EQ(rb_release(nullptr), RB_OK);
    resbuf *chain = nullptr;
    rb_append_real(&chain, 1.0, 40);
    rb_append_real(&chain, 2.0, 41);
    rb_append_real(&chain, 3.0, 40);
    EXPECT_DOUBLE_EQ(rb_find(chain, 40)->value.real, 1.0);
    resbuf *before = reinterpret_cast<resbuf *>(1);
    EXPECT_EQ(rb_find(chain, 40, &before), chain);
    EXPECT_EQ(before, nullptr);
    EXPECT_EQ(rb_find(chain, 41, &before), chain->next);
    EXPECT_EQ(before, chain);
    EXPECT_EQ(rb_find(chain, 42), nullptr);
    EXPECT_DOUBLE_EQ(rb_last(chain)->value.real, 3.0);
    EXPECT_EQ(rb_last(nullptr), nullptr);
    rb_release(chain);
}

TEST(ResbufChain, StringOnlyForStringCodes)
{
    resbuf *chain = rb_build(RB_TYPE_NAME, "LINE", 8, "0", 62, 1, 0);
    EXPECT_STREQ(rb_string(chain), "LINE");
    EXPECT_STREQ(rb_string(chain->next), "0");
    EXPECT_EQ(rb_string(chain->next->next), nullptr);
    rb_release(chain);
}

TEST(ResbufPrint, FormatsByBasicKind)
{
    resbuf *rb = rb_new(280);
    rb->value.int16 = -4;
    EXPECT_EQ(text_of(rb), "(280.-4)");
    rb_release(rb);

    rb = rb_new(515);
    rb->value.int32 = 0x1234abcd;
    EXPECT_EQ(text_of(rb), "(515.1234abcd)");
    rb_release(rb);

    rb = rb_new(-1);
    rb->value.ename[0] = -1;
    rb->value.ename[1] = -1;
    EXPECT_EQ(text_of(rb), "(-1.<-1>)");
    rb_release(rb);

    rb = rb_build(RB_STRING, "ab", 0);
    EXPECT_EQ(text_of(rb), "(5005.\"ab\")");
    rb_release(rb);

    rb = rb_build(40, 1.0 / 3.0, 0);
    EXPECT_EQ(text_of(rb), "(40.0.333333)");
    rb_release(rb);

    const char *expected[][2] = {{"5014", "(null)"}, {"6002", "(null)"}, {"5016", "("}, {"5017", ")"},
                                 {"5019", "(nil)"},  {"5021", "T"},      {"80", "Unknown type: 80"}};
    for (const auto &e : expected) {
        rb = rb_new(std::atoi(e[0]));
        EXPECT_EQ(text_of(rb), e[1]) << e[0];
        rb_release(rb);
    }
}
