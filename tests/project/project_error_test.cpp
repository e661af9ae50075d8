// File errors of the open sector name the file in the program's code page, whatever
// letters its folder has.

#include <gtest/gtest.h>

#include "console/codepage.h"
#include "project/project.h"

namespace nivex::project {
namespace {

TEST(ProjectError, NamesTheFileInTheCodePage) {
    Project p;
    p.files.Build("/no/existe/AB-Diseño Año", "AB1");
    ASSERT_FALSE(p.OpenControl());
    EXPECT_NE(p.error.find(cp("AB-Diseño Año/XSDA.AB1")), std::string::npos) << p.error;
    EXPECT_EQ(p.error.find("Diseño"), std::string::npos);  // not the UTF-8 bytes
    EXPECT_NE(toUtf8(p.error).find("AB-Diseño Año"), std::string::npos);
}

}  // namespace
}  // namespace nivex::project
