// The choice of swap control from a GLX extension string: whole names only,
// and the EXT, MESA, SGI order where several are named.
#include "app/swap_interval.h"

#include <gtest/gtest.h>

namespace {

const char* chosen(const char* extensions)
{
    const char* name = chooseSwapControl(extensions);
    return name ? name : "none";
}

TEST(SwapControlChoice, BestNamedExtensionWins)
{
    // A desktop driver's string names all three (and ends with a space).
    EXPECT_STREQ(chosen("GLX_ARB_create_context GLX_EXT_swap_control GLX_EXT_swap_control_tear "
                        "GLX_MESA_swap_control GLX_SGI_swap_control GLX_SGI_video_sync "),
                 "GLX_EXT_swap_control");
    EXPECT_STREQ(chosen("GLX_SGI_swap_control GLX_MESA_swap_control"), "GLX_MESA_swap_control");
    EXPECT_STREQ(chosen("GLX_SGI_swap_control"), "GLX_SGI_swap_control");
}

TEST(SwapControlChoice, OnlyWholeNamesCount)
{
    EXPECT_STREQ(chosen("GLX_EXT_swap_control_tear GLX_MESA_swap_control"),
                 "GLX_MESA_swap_control");
    EXPECT_STREQ(chosen("GLX_EXT_swap_control_tear"), "none");
    EXPECT_STREQ(chosen("GLX_ARB_multisample XGLX_SGI_swap_control GLX_SGI_swap_controls"),
                 "none");
    // Further on, the same name stands whole.
    EXPECT_STREQ(chosen("GLX_SGI_swap_control_x GLX_SGI_swap_control"), "GLX_SGI_swap_control");
}

TEST(SwapControlChoice, NoSwapControlNamedIsNone)
{
    // What Mesa's software renderer under Xvfb names among the swap names.
    EXPECT_STREQ(chosen("GLX_ARB_create_context GLX_EXT_visual_info GLX_OML_swap_method "
                        "GLX_SGI_make_current_read"),
                 "none");
    EXPECT_STREQ(chosen(""), "none");
    EXPECT_STREQ(chosen(nullptr), "none");
}

} // namespace
