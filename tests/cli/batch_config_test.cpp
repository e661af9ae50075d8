// The verb "config": the dialog's clicks in the order given, then "Aceptar".

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/batch_rig.h"
#include "shell/record_codec.h"

namespace nivex::cli {
namespace {

namespace fs = std::filesystem;

using ConfigRun = BatchOutcome;

class BatchConfig : public BatchProjectTest {
  protected:
    ConfigRun config(std::vector<std::string> options) {
        options.insert(options.begin(), {"--project", "AB1", "config"});
        return batch(options);
    }
    std::string info(const std::string& key) {
        return valueOf(batch({"--project", "AB1", "info"}).out, key);
    }
    codec::Bytes record(int k) {
        fs::path control;
        for (const auto& entry : fs::directory_iterator(base_ / "projects"))
            if (fs::exists(entry.path() / "XSDA.AB1")) control = entry.path() / "XSDA.AB1";
        std::ifstream in(control, std::ios::binary);
        codec::Bytes all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return codec::Bytes(all.begin() + k * 512, all.begin() + (k + 1) * 512);
    }
};

TEST_F(BatchConfig, OptionsAreClickedInOrderAndAccepted) {
    const ConfigRun r =
        config({"--class", "7", "--pico", "fijo", "--infiltracion", "cn", "--texto",
                "pais=colombia", "--texto", "consultor=ana", "--texto", "proyecto=red norte"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(info("clase"), "7");
    EXPECT_EQ(info("proyecto"), "RED NORTE");
    const codec::Bytes r0 = record(0);
    EXPECT_EQ(codec::I16(r0, 10), 6);
    EXPECT_EQ(codec::Text(r0, 421, 26), "COLOMBIA");
    EXPECT_EQ(codec::Text(r0, 349, 35), "ANA");
    EXPECT_EQ(codec::I16(r0, 458), 1) << "a SWMM class needs a slope per diameter";
    EXPECT_EQ(codec::I16(record(3), 404), 2);
    EXPECT_TRUE(fs::exists(base_ / "projects" / "AB-RED NORTE" / "XSDA.AB1"));

    ASSERT_EQ(config({"--topologia", "automatico"}).rc, 0);
    EXPECT_EQ(info("controles"), "0001");
    EXPECT_NE(info("caption").find("Solo Automatico"), std::string::npos);
    EXPECT_EQ(config({"--energia", "si"}).rc, 1) << "a SWMM class opens with it disabled";
}

TEST_F(BatchConfig, AControlTheClassDisablesIsRefused) {
    const ConfigRun r = config({"--class", "7", "--swmm", "cinematica"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("--swmm"), std::string::npos) << r.err;
    EXPECT_EQ(info("clase"), "2") << "nothing was accepted";

    // In the other order the routing is chosen first, then forced back.
    ASSERT_EQ(config({"--swmm", "cinematica", "--class", "7"}).rc, 0);
    EXPECT_FLOAT_EQ(codec::F32(record(0), 322), 0);
    EXPECT_EQ(info("clase"), "7");
}

TEST_F(BatchConfig, NoSelfCleansingCriterionIsRefusedWithTheDialogMessage) {
    const ConfigRun r = config({"--autolimpieza", "", "--texto", "entidad=acueducto"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Debe seleccionar por lo menos una opcion de control de Autolimpieza"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(codec::Text(record(0), 188, 63), "") << "a refused command keeps nothing";

    ASSERT_EQ(config({"--autolimpieza", "vlleno,ras2016"}).rc, 0);
    const codec::Bytes r0 = record(0);
    EXPECT_FLOAT_EQ(codec::F32(r0, 98), 0.60f);
    EXPECT_EQ(codec::I16(r0, 456), 1);
    EXPECT_EQ(codec::I16(r0, 36), 0) << "tractive force was not listed";
}

TEST_F(BatchConfig, TheDesignMethodIsChosenShownAndABadValueChangesNothing) {
    EXPECT_EQ(info("metodo"), "estandar") << "a new project";
    ASSERT_EQ(config({"--metodo", "costo-minimo"}).rc, 0);
    EXPECT_EQ(info("metodo"), "costo-minimo");
    EXPECT_EQ(record(0)[464], 1);

    const auto before = Snapshot();
    for (const char* bad : {"costo minimo", "Costo-Minimo", "minimo", "1", ""}) {
        const ConfigRun r = config({"--metodo", bad});
        EXPECT_EQ(r.rc, 1) << bad;
        EXPECT_EQ(r.err, std::string("Error: valor no valido para --metodo: ") + bad + "\n");
        EXPECT_EQ(Snapshot(), before) << bad;
    }
    EXPECT_EQ(info("metodo"), "costo-minimo");

    ASSERT_EQ(config({"--metodo", "estandar"}).rc, 0);
    EXPECT_EQ(info("metodo"), "estandar");
    EXPECT_EQ(record(0)[464], 0);
}

TEST_F(BatchConfig, BadValuesAreNamed) {
    for (const auto& [option, value] :
         std::vector<std::pair<std::string, std::string>>{{"--class", "10"},
                                                          {"--pico", "otro"},
                                                          {"--energia", "quizas"},
                                                          {"--autolimpieza", "vlleno,nada"},
                                                          {"--texto", "telefono=1"},
                                                          {"--texto", "pais"}}) {
        const ConfigRun r = config({option, value});
        EXPECT_EQ(r.rc, 1) << option << ' ' << value;
        EXPECT_NE(r.err.find("valor no valido para " + option), std::string::npos) << r.err;
    }
    EXPECT_EQ(batch({"--project", "AB1", "config", "--pico"}).rc, 2);
}

}  // namespace
}  // namespace nivex::cli
