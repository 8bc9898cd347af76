// The property names the skin engine reads by name against the toolkit classes that must publish
// them: a renamed property fails here instead of leaving its controls unskinned.
#include "SkinPropertyNames.h"
#include "Buttons.h"
#include "ComCtrls.h"
#include "Form.h"
#include "GlyphButtons.h"
#include "GroupBox.h"
#include "Panel.h"
#include "ToolBar.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

template <class... Classes> void AddMissing(std::string_view name, std::vector<std::string>& missing) {
    const auto check = [&](const TPersistent& object) {
        if (!object.FindProperty(name))
            missing.push_back(std::string(object.ClassName()) + "." + std::string(name));
    };
    (check(*MakeComponent<Classes>(nullptr)), ...);
}

} // namespace

TEST(SkinPropertyNames, EveryNameTheEngineReadsIsPublishedByItsToolkitClasses) {
    std::vector<std::string> missing;
#define PP_ADD_MISSING(name, ...) AddMissing<__VA_ARGS__>(SkinProperty::name, missing);
    PP_SKIN_TOOLKIT_PROPERTIES(PP_ADD_MISSING)
#undef PP_ADD_MISSING
    EXPECT_EQ(missing, std::vector<std::string>{});
}
