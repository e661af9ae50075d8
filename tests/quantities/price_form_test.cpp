// Listings 9D and 9E over the quantity files of a designed sanitary network.

#include "quantities/price_form_listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "quantities/quantity_driver.h"
#include "quantities/quantity_file.h"
#include "specs/criteria_store.h"
#include "swmm/swmm_project_rig.h"

namespace nivex::quantities {
namespace {

namespace fs = std::filesystem;

using Items = std::map<std::string, double>;  // item number → quantity

class PriceForm : public swmm::testing::DesignedProjectTest {
  protected:
    void SetUp() override {
        DesignedProjectTest::SetUp();
        Design(1);
        ASSERT_FALSE(HasFatalFailure());
        const QuantityOutcome out = RunQuantities(project);
        ASSERT_EQ(out.stop, RunStop::None) << out.message;
    }
    // The priced lines of a form: those that end in the blank for the price.
    Items List(const std::string& key, cli::BatchOutcome& r, std::string& text) {
        const fs::path out = base_ / ("form-" + key + ".txt");
        fs::remove(out);
        r = batch({"--project", "AB1", "list", key, "--out", out.string()});
        std::ostringstream s;
        if (fs::exists(out)) s << std::ifstream(out, std::ios::binary).rdbuf();
        text = s.str();
        Items items;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            const size_t blank = line.rfind("____________________");
            if (blank == std::string::npos) continue;
            std::istringstream words(line.substr(0, blank));
            std::string number, word, last;
            for (words >> number; words >> word;)
                last = word;
            std::erase(last, ',');
            EXPECT_EQ(items.count(number), 0u) << number;
            items[number] = std::stod(last);
        }
        return items;
    }
};

TEST_F(PriceForm, RequiredFormHoldsOnlyTheItemsWithQuantityAndTheFullFormEveryItem) {
    cli::BatchOutcome r;
    std::string text;
    const Items all = List("9E", r, text);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(text.find("[ SISTEMA NUEVO ]"), std::string::npos);
    EXPECT_NE(text.find("CAPITULO #4 - SUMINISTRO E INSTALACION DE TUBERIAS (ml)"),
              std::string::npos);
    const Items needed = List("9D", r, text);
    ASSERT_EQ(r.rc, 0) << r.err;

    QuantityTables t;
    const int sizes = LimitsOf(project.espec).sizeCount();
    t.Clear(sizes);
    ASSERT_EQ(ReadQuantityFile(QuantityFilePath(project.files, kSystemNew), sizes, t).status,
              FileRead::Read);
    Items expected, positive;
    for (const budget::BudgetChapter& c : budget::BuildBudgetChapters(project.espec)) {
        int k = 0;
        for (const budget::ItemGroup& g : c.groups)
            for (const budget::BudgetItem& item : g.items) {
                const std::string number = std::to_string(c.number) + "." + std::to_string(++k);
                expected[number] = RoundTo2(budget::ItemQuantity(t, item));
                if (expected[number] > 0) positive[number] = expected[number];
            }
    }
    EXPECT_EQ(all, expected);
    EXPECT_EQ(needed, positive);
    EXPECT_GE(needed.size(), 5u);  // excavation, fill, manholes, pipes, connections
    EXPECT_LT(needed.size(), all.size());
}

// The total system's file holds only the removals: with existing reaches the form still
// reads the new system, which holds the new reaches and the removals too.
TEST_F(PriceForm, ExistingReachesKeepTheNewSystemAndADamagedFileStops) {
    cli::BatchOutcome r;
    std::string text;
    const Items withoutExisting = List("9D", r, text);
    shell::ControlFile file;
    ASSERT_TRUE(file.Open(project.files.control()));
    shell::ProyectoT h;
    specs::EspecT e;
    std::string error;
    ASSERT_TRUE(specs::LoadDesignCriteria(file, h, e, &error)) << error;
    e.HasExistingReach = 1;
    ASSERT_TRUE(specs::SaveRecords(file, h, e, {5}));
    file.Close();
    EXPECT_EQ(PricedSystem(e), kSystemNew);
    EXPECT_EQ(List("9D", r, text), withoutExisting);
    EXPECT_NE(text.find("[ SISTEMA NUEVO ]"), std::string::npos);

    const std::string path = QuantityFilePath(project.files, kSystemNew);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << " 1.25000000000000E+0002\r\nxyz\r\n";
    EXPECT_TRUE(List("9E", r, text).empty());
    EXPECT_NE(r.rc, 0);
    EXPECT_TRUE(text.empty());
    EXPECT_NE(r.err.find("SANNEWQ.AB1"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace nivex::quantities
