// The main window: caption and layouts.
#include "ui/widgets/ui_form.h"

#include <gtest/gtest.h>

namespace camlog::widgets {
namespace {

TEST(UIFormTest, CaptionNamesTheProgramItsVersionAndItsMaker)
{
    TUIForm form;
    EXPECT_EQ(form.windowTitle().toStdString(), "Camlog 7.0.9En by Ovrand");
}

} // namespace
} // namespace camlog::widgets
