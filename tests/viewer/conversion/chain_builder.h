// Entity chains built by hand, as the reader would hand them to a callback.
#pragma once
#include <deque>
#include <string>

#include "conversion/conversion_state.h"
#include "conversion/entity_callbacks.h"
#include "conversion/layer_colors.h"
#include "render/scene_functions.h"
#include "support/layer_color_table.h"
#include "tvlaccess.h"

#include <gtest/gtest.h>

class chain {
public:
    explicit chain(const std::string &type) { str(0, type); }

    chain &str(int code, const std::string &text)
    {
        strings_.push_back(text);
        resbuf &rb = append(code);
        rb.value.string = strings_.back().data();
        return *this;
    }
    chain &pt(int code, double x, double y, double z)
    {
        resbuf &rb = append(code);
        rb.value.point[0] = x;
        rb.value.point[1] = y;
        rb.value.point[2] = z;
        return *this;
    }
    chain &real(int code, double v)
    {
        append(code).value.real = v;
        return *this;
    }
    chain &i16(int code, int v)
    {
        append(code).value.int16 = static_cast<int16_t>(v);
        return *this;
    }
    chain &i32(int code, long v)
    {
        append(code).value.int32 = static_cast<int32_t>(v);
        return *this;
    }
    const resbuf *head() const { return &records_.front(); }

    int feed() const { return entity_callback(head()); }
    int feed_table() const { return table_callback(head()); }

private:
    resbuf &append(int code)
    {
        records_.push_back(resbuf{});
        resbuf &rb = records_.back();
        rb.code = static_cast<int16_t>(code);
        if (records_.size() > 1)
            records_[records_.size() - 2].next = &rb;
        return rb;
    }

    std::deque<resbuf> records_;
    std::deque<std::string> strings_;
};

inline void give_layer(const std::string &name, int color_number)
{
    chain("LAYER").str(2, name).i16(62, color_number).feed_table();
}

// A fresh scene and conversion state for each test, as before a block load.
class scene_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        replace_current_scene();
        reset_conversion_state();
        saved_table_ = LayerColorTable;
    }
    void TearDown() override
    {
        delete_current_scene();
        LayerColorTable = saved_table_;
    }
    const std::vector<cl_opengl_image_triangle> &triangles() const { return current_scene->triangles; }
    const std::vector<cl_opengl_image_line> &lines() const { return current_scene->lines; }

private:
    layer_color_table saved_table_;
};

inline void expect_point(const fpt &p, double x, double y, double z)
{
    EXPECT_DOUBLE_EQ(p.x, x);
    EXPECT_DOUBLE_EQ(p.y, y);
    EXPECT_DOUBLE_EQ(p.z, z);
}
