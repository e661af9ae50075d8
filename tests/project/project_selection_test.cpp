#include "project/project_selection.h"
#include "specs/espec.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/codepage.h"
#include "project/project_rename.h"
#include "shell/control_file.h"
#include "shell/startup.h"
#include "support/scripted.h"

namespace nivex::project {
namespace {

namespace fs = std::filesystem;
using codec::Bytes;

// Records what is sent to the trash and moves it out of the base folder.
struct TrashDesktop : ui::Desktop {
    fs::path trash;
    std::vector<std::string> trashed;
    ui::OpenResult open = ui::OpenResult::Opened;
    std::string lastOpened;
    bool registerListingFont(const std::string&) override { return true; }
    ui::OpenResult openDocument(const std::string& path) override {
        lastOpened = path;
        return open;
    }
    void showAbout() override {}
    bool moveToTrash(const std::string& path) override {
        trashed.push_back(path);
        fs::create_directories(trash);
        fs::rename(path, trash / fs::path(path).filename());
        return true;
    }
};

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

shell::ProyectoT HeaderOf(const fs::path& control) {
    shell::ProyectoT p;
    Bytes b = ReadBytes(control);
    b.resize(shell::kControlRecordSize);
    shell::Decode(b, p);
    return p;
}

shell::ProyectoT Named(const std::string& name) {
    shell::ProyectoT p;
    p.ProjectName = name;
    return p;
}

// A sector whose controls and design are done.
shell::ProyectoT Designed(const std::string& name) {
    shell::ProyectoT p = Named(name);
    p.ControlsDone = {1, 1, 1, 1};
    p.StageDone = {1, 1, 1, 1};
    return p;
}

class ProjectSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = fs::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() /
                ("nivex-selection-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(root_);
        base_ = root_ / "base";
        fs::create_directories(base_);
        desktop.trash = root_ / "trash";
    }
    void TearDown() override {
        fs::current_path(saved_);
        fs::remove_all(root_);
    }

    // A control file of `records` records with p as record 0, in base/folder.
    fs::path Control(const std::string& folder, const std::string& ext, const shell::ProyectoT& p,
                     int records = shell::kControlRecords) {
        fs::create_directories(base_ / folder);
        // The records a program run writes: the header and the default design criteria.
        Bytes file(static_cast<size_t>(records) * shell::kControlRecordSize);
        shell::ProyectoT header = p;
        specs::EspecT defaults = specs::DefaultEspec();
        if (header.DesignClass == 0) header.DesignClass = 2;  // as a new project starts
        defaults.SystemKind = specs::SystemKindOfClass(header.DesignClass);
        for (int k = 0; k < records; ++k) {
            Bytes r(shell::kControlRecordSize);
            if (k == 0) {
                EXPECT_TRUE(shell::Encode(header, r));
            }
            EXPECT_TRUE(specs::Encode(k, defaults, r));
            std::copy(r.begin(), r.end(), file.begin() + k * shell::kControlRecordSize);
        }
        const fs::path path = base_ / folder / ("XSDA." + ext);
        WriteBytes(path, file);
        return path;
    }
    // The design copy and manhole names beside a control file.
    void DesignFiles(const std::string& folder, const std::string& ext) {
        WriteBytes(base_ / folder / ("ZSDB." + ext), Bytes{'Z', 'B', static_cast<uint8_t>(ext[2])});
        WriteBytes(base_ / folder / ("XSDD." + ext), Bytes{'D', 'D', static_cast<uint8_t>(ext[2])});
    }

    const testing::RecordedBox& Box(size_t i) const { return rig.ui.boxes.at(i); }

    fs::path saved_, root_, base_;
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    TrashDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    ProjectSelection selection{session, session.project};
};

// --- The list -------------------------------------------------------------------------

TEST_F(ProjectSelectionTest, ListsSectorsTotalisersAndSingleProjectsInOrderWithoutWriting) {
    // Made in reverse order: the list is sorted whatever the directory order.
    Control("KL-Corto", "KL1", Named("x"));
    WriteBytes(base_ / "KL-Corto" / "XSDA.KL1", Bytes(100, 7));  // shorter than a record
    Control("GH-Doble", "GH1", Named("Doble"));
    Control("GH-Doble", "GH0", Named("Cero"));
    Control("EF-Solo", "EF0", Named("Solo"));
    Control("AB-Centro", "AB2", Named("Otro nombre"));
    Control("AB-Centro", "AB1", Named("Centro"));
    fs::create_directories(base_ / "Notas");
    const auto before = ReadBytes(base_ / "AB-Centro" / "XSDA.AB1");

    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    EXPECT_EQ(selection.lines(), (std::vector<std::string>{
                                     "AB1 - Centro SECTOR # 1",
                                     "AB2 - Centro SECTOR # 2",
                                     "AB0 - Centro TOTAL",
                                     "EF0 - Solo",
                                     "GH1 - Doble SECTOR # 1",
                                     "GH0 - Doble TOTAL",
                                     "KL1 -  SECTOR # 1",
                                     "KL0 -  TOTAL",
                                 }));
    EXPECT_EQ(selection.entries()[2].sectors, "2");
    EXPECT_EQ(selection.entries()[5].sectors, "1");
    EXPECT_EQ(selection.entries()[1].folder, "AB-Centro");
    EXPECT_TRUE(rig.ui.boxes.empty());
    EXPECT_TRUE(desktop.trashed.empty());

    const SelectionFields first = selection.FieldsOfLine(0);
    EXPECT_EQ(first.code + first.sector + first.sectors, "AB11");
    const SelectionFields total = selection.FieldsOfLine(2);
    EXPECT_EQ(total.code + total.sector + total.sectors, "AB02");
    const SelectionFields single = selection.FieldsOfLine(3);
    EXPECT_EQ(single.code + single.sector + single.sectors, "EF01");

    // Reading the names created and changed nothing.
    EXPECT_EQ(ReadBytes(base_ / "AB-Centro" / "XSDA.AB1"), before);
    EXPECT_EQ(fs::file_size(base_ / "KL-Corto" / "XSDA.KL1"), 100u);
    EXPECT_EQ(std::distance(fs::directory_iterator(base_ / "AB-Centro"), {}), 2);
}

TEST_F(ProjectSelectionTest, MissingBaseFolderIsReported) {
    EXPECT_EQ(selection.List((root_ / "no existe").string()), ListOutcome::FolderMissing);
    EXPECT_TRUE(selection.entries().empty());
    EXPECT_TRUE(rig.ui.boxes.empty());
}

TEST_F(ProjectSelectionTest, ACodeInTwoFoldersStopsTheList) {
    Control("AB-Norte", "AB1", Named("Norte"));
    Control("AB-Sur", "AB1", Named("Sur"));
    EXPECT_EQ(selection.List(base_.string()), ListOutcome::Duplicate);
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(Box(0).kind, "error");
    EXPECT_EQ(Box(0).caption, "Error de duplicacion");
    EXPECT_EQ(Box(0).message,
              "Se interrumpio el despliegue de los proyectos porque existe al\rmenos una Carpeta "
              "con letras de identificacion repetidas \"AB\".\r\rLocalicela con el Explorador de "
              "windows en el Directorio ...\r... " +
                  base_.string() +
                  "\r y trasladela a otro directorio.\r\rMientras no quite el duplicado no podra "
                  "cargar el Programa.");
}

TEST_F(ProjectSelectionTest, IncompleteFoldersGoToTheTrashWithAWarning) {
    fs::create_directories(base_ / "CD-Roto");
    WriteBytes(base_ / "CD-Roto" / "ZSDX.CD1", Bytes(452));
    WriteBytes(base_ / "CD-Roto" / "XSDA.CD2", Bytes(3072));  // neither sector 0 nor 1
    Control("AB-Bien", "AB1", Named("Bien"));

    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    EXPECT_EQ(desktop.trashed, std::vector<std::string>{(base_ / "CD-Roto").string()});
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(Box(0).kind, "warning");
    EXPECT_EQ(Box(0).caption, "Advertencia");
    EXPECT_EQ(Box(0).message,
              "Por tener archivos incompletos se envio a la papelera de reciclaje\rla carpeta: "
              "CD-Roto (Puede ser restaurada)");
    EXPECT_EQ(selection.lines(),
              (std::vector<std::string>{"AB1 - Bien SECTOR # 1", "AB0 - Bien TOTAL"}));
}

// --- Fields and captions --------------------------------------------------------------

TEST(ProjectSelectionFields, KeysSectorLeavingAndCaption) {
    EXPECT_EQ(ProjectSelection::CodeKey('a'), 'A');
    EXPECT_EQ(ProjectSelection::CodeKey('Z'), 'Z');
    EXPECT_EQ(ProjectSelection::CodeKey('1'), 0);
    EXPECT_EQ(ProjectSelection::CodeKey(static_cast<char>(0xF1)), 0);
    EXPECT_EQ(ProjectSelection::CodeKey(8), 8);
    EXPECT_EQ(ProjectSelection::CodeKey(13), 13);
    EXPECT_EQ(ProjectSelection::DigitKey('7'), '7');
    EXPECT_EQ(ProjectSelection::DigitKey('a'), 0);
    EXPECT_EQ(ProjectSelection::DigitKey(' '), 0);
    EXPECT_EQ(ProjectSelection::DigitKey(8), 8);
    EXPECT_EQ(ProjectSelection::LeaveSector({"AB", "2", "5"}).sectors, "1");
    EXPECT_EQ(ProjectSelection::LeaveSector({"AB", "0", "5"}).sectors, "5");
    EXPECT_TRUE(ProjectSelection::CountFieldOpen("0"));
    EXPECT_FALSE(ProjectSelection::CountFieldOpen("3"));
    EXPECT_EQ(ProjectSelection::DialogCaption(), "  Nivex - Version: 20.12");
}

// --- "Aceptar": new projects ------------------------------------------------------------

TEST_F(ProjectSelectionTest, NewCodeCreatesItsFolderAndAnswerNoTakesItBack) {
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    EXPECT_EQ(selection.Accept({"CD", "1", "1"}), 'N');
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(Box(0).kind, "yesno");
    EXPECT_EQ(Box(0).caption, "");
    EXPECT_EQ(Box(0).message,
              "Entidad   : \r\nProyecto  : Proyecto Nuevo\r\nFecha     : \r\n"
              "Proceso   : Cualquier operacion en el Sector# 1 del proyecto");
    EXPECT_FALSE(fs::exists(base_ / "CD-Proyecto Nuevo" / "XSDA.CD1"));
    EXPECT_FALSE(fs::exists(base_ / "CD-Proyecto Nuevo"));
    EXPECT_TRUE(selection.entries().empty());
    EXPECT_FALSE(session.project.selection.accepted);

    // The next listing has nothing to send to the trash.
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    EXPECT_TRUE(desktop.trashed.empty());
}

TEST_F(ProjectSelectionTest, NewCodeAcceptedWritesSixDefaultRecordsAndOpens) {
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"CD", "1", "1"}), 'S');

    const fs::path folder = base_ / "CD-Proyecto Nuevo";
    const fs::path control = folder / "XSDA.CD1";
    ASSERT_EQ(fs::file_size(control), 3072u);
    EXPECT_EQ(fs::current_path(), folder);
    const Project& p = session.project;
    EXPECT_EQ(p.files.control(), control.string());
    EXPECT_FALSE(p.control.isOpen());
    EXPECT_TRUE(p.selection.accepted);
    EXPECT_EQ(p.selection.extension, "CD1");
    EXPECT_EQ(p.selection.sectorNumber, 1);
    EXPECT_EQ(p.selection.sectorCount, 1);
    EXPECT_EQ(p.selection.subfolderName, "CD-Proyecto Nuevo");
    EXPECT_EQ(p.selection.baseFolder, base_.string());

    const Bytes bytes = ReadBytes(control);
    EXPECT_EQ(bytes[456], 2);  // Ras2016Model off
    EXPECT_EQ(bytes[458], 2);  // SlopePerDiameter off
    EXPECT_EQ(bytes[8], 0);
    const shell::ProyectoT h = HeaderOf(control);
    EXPECT_EQ(h.ProjectName, "Proyecto Nuevo");
    EXPECT_EQ(h.Reserved338, "0000000000");
    EXPECT_EQ(h.DesignAlternative, -1.0f);
    // The criteria defaults fill the other records: the commercial diameters, say.
    EXPECT_EQ(codec::F32(Bytes(bytes.begin() + 3 * 512, bytes.begin() + 4 * 512), 120), 145.0f);

    // Record 5 holds no topology mode: "Solo Manual", which reads the alternative as 0.
    const std::string base =
        "Proyecto Nuevo      Codigo : CD     Sector : 1" + cp("     Diseño Solo Manual        ");
    EXPECT_EQ(p.baseCaption, base);
    EXPECT_EQ(p.caption, base + "        (Alternativa Manual)");
}

TEST_F(ProjectSelectionTest, FieldsThatCannotNameASectorAreRefused) {
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    EXPECT_EQ(selection.Accept({"C", "1", "1"}), 'N');
    EXPECT_EQ(selection.Accept({"CD", "", "1"}), 'N');
    EXPECT_EQ(selection.Accept({"CD", "0", "0"}), 'N');
    ASSERT_EQ(rig.ui.boxes.size(), 3u);
    for (const auto& b : rig.ui.boxes)
        EXPECT_EQ(b.kind + "/" + b.caption, "error/Error") << b.message;
    EXPECT_TRUE(fs::is_empty(base_));
}

// --- "Aceptar": sector checks --------------------------------------------------------

TEST_F(ProjectSelectionTest, SectorChecksRefuseWithTheirMessages) {
    struct Case {
        const char* files;  // sectors present
        SelectionFields fields;
        const char* message;
    } cases[] = {
        {"0", {"AB", "1", "1"}, "Ya existe un proyecto sin sectores con ese mismo codigo"},
        {"1",
         {"AB", "0", "1"},
         "El proyecto requiere al menos otros sector antes \rde poder usar esta opcion de "
         "totalizacion"},
        {"1", {"AB", "3", "1"}, "Los sectores deben incluirse en estricto orden ascendente"},
    };
    for (const Case& c : cases) {
        fs::remove_all(base_);
        for (const char* s = c.files; *s; ++s)
            Control("AB-Centro", std::string("AB") + *s, Named("Centro"));
        rig.ui.boxes.clear();
        ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
        EXPECT_EQ(selection.Accept(c.fields), 'N') << c.message;
        ASSERT_EQ(rig.ui.boxes.size(), 1u) << c.message;  // no confirmation
        EXPECT_EQ(Box(0).kind, "error");
        EXPECT_EQ(Box(0).caption, "Error");
        EXPECT_EQ(Box(0).message, c.message);
        EXPECT_EQ(std::distance(fs::directory_iterator(base_ / "AB-Centro"), {}),
                  static_cast<long>(std::strlen(c.files)));
    }
}

// --- "Aceptar": the totaliser ----------------------------------------------------------

TEST_F(ProjectSelectionTest, TotaliserWithASectorNotDesignedShowsTheStatusTable) {
    Control("AB-Centro", "AB1", Designed("Centro"));
    DesignFiles("AB-Centro", "AB1");
    shell::ProyectoT second = Designed("Centro");
    second.StageDone[1] = 0;  // no design
    Control("AB-Centro", "AB2", second);
    DesignFiles("AB-Centro", "AB2");
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);

    EXPECT_EQ(selection.Accept(selection.FieldsOfLine(2)), 'N');
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(Box(0).caption, "Error");
    EXPECT_EQ(Box(0).message,
              "Sector       Estado \r\n\r\n"
              "   1   << Correcto >>    \r\n"
              "   2 .. Falta Calculo .. \r\n"
              "\r\n... No puede  Totalizar ...\r\n");

    EXPECT_EQ(selection.Accept({"AB", "0", "3"}), 'N');
    EXPECT_NE(Box(1).message.find("   3 ... Inexistente ... \r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(base_ / "AB-Centro" / "XSDA.AB0"));
    EXPECT_FALSE(fs::exists(base_ / "AB-Centro" / "ZSDB.AB0"));
}

TEST_F(ProjectSelectionTest, CompleteTotaliserTakesTheFirstSectorsFilesAndItsCaption) {
    shell::ProyectoT first = Designed("Centro");
    first.Entity = "Acueducto";
    first.ProjectDate = "Mayo 2024";
    Control("AB-Centro", "AB1", first);
    DesignFiles("AB-Centro", "AB1");
    Control("AB-Centro", "AB2", Designed("Centro"));
    DesignFiles("AB-Centro", "AB2");
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);

    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"AB", "0", "2"}), 'S');
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(Box(0).message,
              "Entidad   : Acueducto\r\nProyecto  : Centro\r\nFecha     : Mayo 2024\r\n"
              "Proceso   : Calcular Presupuesto Consolidado de los Sectores (1..2)");

    const fs::path folder = base_ / "AB-Centro";
    const shell::ProyectoT total = HeaderOf(folder / "XSDA.AB0");
    EXPECT_EQ(total.StageDone, (std::array<uint8_t, 4>{1, 1, 0, 0}));
    EXPECT_EQ(total.ControlsDone, (std::array<uint8_t, 4>{1, 1, 1, 1}));
    EXPECT_EQ(fs::file_size(folder / "XSDA.AB0"), 3072u);
    EXPECT_EQ(ReadBytes(folder / "ZSDB.AB0"), ReadBytes(folder / "ZSDB.AB1"));
    EXPECT_EQ(ReadBytes(folder / "XSDD.AB0"), ReadBytes(folder / "XSDD.AB1"));
    for (const auto& e : fs::directory_iterator(folder))
        EXPECT_EQ(e.path().string().find(".nivex-tmp-"), std::string::npos) << e.path();
    EXPECT_EQ(session.project.caption,
              "Centro    Codigo: AB    Sector: 0    (Totalizacion de sectores)");
    EXPECT_TRUE(session.project.selection.isTotaliser());
}

// --- One sector, one writer -----------------------------------------------------------

// Another program's session on the same base folder.
struct OtherProgram {
    testing::ConsoleRig rig;
    console::Screen screen{rig.console};
    TrashDesktop desktop;
    ui::MemorySettings settings;
    shell::MenuBarModel menu;
    shell::Session session{rig.switches, rig.console, screen, rig.ui, desktop, settings, menu};
    ProjectSelection selection{session, session.project};
};

TEST_F(ProjectSelectionTest, AnOpenSectorIsRefusedToAWriterAndLeftUnchangedByAReader) {
    // A file the opening repairs and completes: any opening that may write, writes it.
    const fs::path control = Control("AB-Centro", "AB1", Named("Centro"), 2);
    Bytes damaged = ReadBytes(control);
    damaged[338] = 0;
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
    const fs::path lock = base_ / "AB-Centro" / "Bloqueo.AB1";
    ASSERT_TRUE(session.project.lock.held());
    EXPECT_EQ(session.project.lock.path(), lock.string());
    WriteBytes(control, damaged);

    OtherProgram other;
    ASSERT_EQ(other.selection.List(base_.string()), ListOutcome::Listed);
    other.rig.ui.answers = {'S'};
    EXPECT_EQ(other.selection.Accept({"AB", "1", "1"}, {"nivex-batch design", true}), 'N');
    ASSERT_EQ(other.rig.ui.boxes.size(), 1u);
    const std::string& refusal = other.rig.ui.boxes[0].message;
    EXPECT_EQ(refusal.rfind("El sector AB1 esta en uso por NIVEX (usuario ", 0), 0u) << refusal;
    EXPECT_NE(refusal.find(", proceso " + std::to_string(::getpid()) + ") desde "),
              std::string::npos)
        << refusal;
    EXPECT_NE(refusal.find(".\rNo se hizo ningun cambio."), std::string::npos) << refusal;
    EXPECT_EQ(ReadBytes(control), damaged);
    EXPECT_FALSE(other.session.project.selection.accepted);

    // One that only reads opens it, repaired in memory, and writes nothing.
    other.rig.ui.boxes.clear();
    other.rig.ui.answers = {'S'};
    ASSERT_EQ(other.selection.Accept({"AB", "1", "1"}, {"nivex-batch info", false}), 'S');
    EXPECT_TRUE(other.session.project.onlyReads());
    EXPECT_FALSE(other.session.project.lock.held());
    EXPECT_EQ(other.session.project.header.Reserved338, "0000000000");
    EXPECT_EQ(other.session.project.header.ProjectName, "Centro");
    EXPECT_EQ(ReadBytes(control), damaged);
    EXPECT_TRUE(session.project.lock.held());

    // Once the first lets go, the writer opens it and the repair is written.
    session.project.lock.Release();
    EXPECT_FALSE(fs::exists(lock));
    other.rig.ui.answers = {'S'};
    ASSERT_EQ(other.selection.Accept({"AB", "1", "1"}, {"nivex-batch design", true}), 'S');
    EXPECT_FALSE(other.session.project.onlyReads());
    EXPECT_TRUE(other.session.project.lock.held());
    EXPECT_EQ(ReadBytes(control).size(), 3072u);
    EXPECT_EQ(HeaderOf(control).Reserved338, "0000000000");
    EXPECT_EQ(ParseLockHolder([&] {
                  std::ifstream in(lock);
                  return std::string(std::istreambuf_iterator<char>(in), {});
              }())
                  ->program,
              "nivex-batch design");
}

TEST_F(ProjectSelectionTest, LeftoversOfAStoppedRewriteGoWhenTheSectorIsNextOpenedToChange) {
    Control("AB-Centro", "AB1", Named("Centro"));
    Control("AB-Centro", "AB2", Named("Centro"));
    const fs::path folder = base_ / "AB-Centro";
    fs::create_directories(folder / "Respaldo AB1");
    const std::vector<std::string> ours = {"ZSDX.AB1.nivex-tmp-a8Kd2P", "XSDC.AB1.tmp",
                                           "Respaldo AB1/XDXS.AB1.nivex-tmp-Qq12Zz"};
    const std::vector<std::string> kept = {"ZSDX.AB2.nivex-tmp-a8Kd2P", "notas.txt"};

    // While another program works on the sector, its temporary files may be in the making.
    OtherProgram other;
    ASSERT_EQ(other.selection.List(base_.string()), ListOutcome::Listed);
    other.rig.ui.answers = {'S'};
    ASSERT_EQ(other.selection.Accept({"AB", "1", "1"}), 'S');
    for (const auto& name : ours)
        WriteBytes(folder / name, Bytes{1, 2, 3});
    for (const auto& name : kept)
        WriteBytes(folder / name, Bytes{1, 2, 3});
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"AB", "1", "1"}, {"nivex-batch info", false}), 'S');
    for (const auto& name : ours)
        EXPECT_TRUE(fs::exists(folder / name)) << name;

    other.session.project.lock.Release();
    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
    for (const auto& name : ours)
        EXPECT_FALSE(fs::exists(folder / name)) << name;
    for (const auto& name : kept)
        EXPECT_TRUE(fs::exists(folder / name)) << name;
}

TEST_F(ProjectSelectionTest, AFolderInWhichAnotherProgramMakesASectorIsNotSentToTheTrash) {
    const fs::path folder = base_ / "CD-Proyecto Nuevo";
    fs::create_directories(folder);
    SectorLock making;
    ASSERT_EQ(making.Acquire((folder / "Bloqueo.CD1").string(), ThisProcess("NIVEX", false)),
              LockResult::Taken);
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    EXPECT_TRUE(desktop.trashed.empty());
    EXPECT_TRUE(rig.ui.boxes.empty());

    making.Release();  // it never finished: the folder is incomplete
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    EXPECT_EQ(desktop.trashed, std::vector<std::string>{folder.string()});
}

// Renaming a project renames its folder: not while another program works in it, and the
// lock held follows the folder.
TEST_F(ProjectSelectionTest, AProjectFolderInUseByAnotherProgramKeepsItsNameOnARename) {
    Control("AB-Centro", "AB1", Named("Centro"));
    Control("AB-Centro", "AB2", Named("Centro"));
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
    SectorLock other;
    ASSERT_EQ(other.Acquire((base_ / "AB-Centro" / "Bloqueo.AB2").string(),
                            ThisProcess("nivex-batch design", false)),
              LockResult::Taken);

    bool renamed = true;
    ASSERT_TRUE(RenameProject(session.project, "Norte", &renamed));
    EXPECT_FALSE(renamed);
    EXPECT_TRUE(fs::is_directory(base_ / "AB-Centro"));
    EXPECT_FALSE(fs::exists(base_ / "AB-Norte"));
    EXPECT_EQ(HeaderOf(base_ / "AB-Centro" / "XSDA.AB1").ProjectName, "Norte");

    other.Release();
    ASSERT_TRUE(RenameProject(session.project, "Sur", &renamed));
    EXPECT_TRUE(renamed);
    const fs::path lock = base_ / "AB-Sur" / "Bloqueo.AB1";
    EXPECT_EQ(session.project.lock.path(), lock.string());
    EXPECT_TRUE(fs::exists(lock));
    session.project.lock.Release();
    EXPECT_FALSE(fs::exists(lock)) << "the lock was not let go in the renamed folder";
}

// --- "Aceptar": existing control files -------------------------------------------------

TEST_F(ProjectSelectionTest, AShortControlFileIsReadToItsEndAndCompletedToSixRecords) {
    const fs::path control = Control("AB-Centro", "AB1", Named("Centro"), 2);
    Bytes bytes = ReadBytes(control);
    bytes[338] = 0;  // offset 338 empty: repaired to "0000000000"
    WriteBytes(control, bytes);
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);

    EXPECT_EQ(selection.Accept({"AB", "1", "1"}), 'N');
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(Box(0).kind, "yesno");  // no read error
    const Bytes after = ReadBytes(control);
    ASSERT_EQ(after.size(), 3072u);
    EXPECT_EQ(HeaderOf(control).Reserved338, "0000000000");
    EXPECT_EQ(after[338], 10);
    EXPECT_TRUE(std::equal(bytes.begin() + 512, bytes.end(), after.begin() + 512));
    // The missing records are completed with the defaults, not left as zeros.
    const specs::EspecT defaults = specs::DefaultEspec();
    for (int k = 2; k < 6; ++k) {
        Bytes expected(shell::kControlRecordSize);
        ASSERT_TRUE(specs::Encode(k, defaults, expected));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), after.begin() + k * 512)) << k;
    }
}

// A control file filled with 0xFF: the dialog names the file and the first damaged value
// and asks; 'N' opens nothing and writes nothing, 'S' opens it with blank texts and every
// control and stage to be done again.
TEST_F(ProjectSelectionTest, ADamagedControlFileIsRepairedOnlyWhenTheUserAgrees) {
    const fs::path control = Control("AB-Centro", "AB1", Named("Centro"));
    const Bytes damaged(3072, 0xFF);
    WriteBytes(control, damaged);
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);

    rig.ui.answers = {'N'};
    EXPECT_EQ(selection.Accept({"AB", "1", "1"}), 'N');
    ASSERT_EQ(rig.ui.boxes.size(), 2u);
    EXPECT_EQ(Box(0).kind, "yesno");
    EXPECT_EQ(Box(0).message.rfind("El archivo " + control.string() +
                                       cp(" esta dañado: registro 0, posicion 134: un texto de "
                                          "255 caracteres en un campo de 25"),
                                   0),
              0u)
        << Box(0).message;
    EXPECT_NE(Box(0).message.find(cp("Desea reemplazar los valores dañados")), std::string::npos);
    EXPECT_EQ(Box(1).kind, "error");
    EXPECT_EQ(ReadBytes(control), damaged);

    rig.ui.boxes.clear();
    rig.ui.answers = {'S', 'S'};
    ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
    const shell::ProyectoT after = HeaderOf(control);
    EXPECT_EQ(after.ProjectName, "");
    EXPECT_EQ(after.Entity, "");
    EXPECT_EQ(after.ControlsDone, (std::array<uint8_t, 4>{}));
    EXPECT_EQ(after.StageDone, (std::array<uint8_t, 4>{}));
    EXPECT_EQ(ReadBytes(control).size(), 3072u);
}

TEST_F(ProjectSelectionTest, ARecordReadAndWrittenBackUnchangedIsByteIdentical) {
    shell::ProyectoT h = Designed("Centro");
    h.Consultant = "Ing. Consultor de Nombre Muy Largo X";  // 36: stored as 35
    h.DesignAlternative = 2;
    h.DesignClass = 9;
    h.SwmmClass = 1;  // as class 9 has it
    const fs::path control = Control("AB-Centro", "AB1", h);
    Bytes bytes = ReadBytes(control);
    bytes[40] = 0x5A;                        // a criteria value nothing repairs: kept
    bytes[150] = 0x77;                       // foreign byte in the name's padding: kept
    bytes[138 + 512 * 3] = 0x33;             // records 1 to 5 are never rewritten
    codec::PutI16(bytes, 5 * 512 + 424, 2);  // topology: automatic only
    WriteBytes(control, bytes);
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);

    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
    EXPECT_EQ(ReadBytes(control), bytes);
    EXPECT_EQ(session.project.consultant, "Ing. Consultor de Nombre Muy Largo ");
    EXPECT_EQ(session.project.caption, "Centro      Codigo : AB     Sector : 1" +
                                           cp("     Diseño Solo Automatico    ") +
                                           "        (Alternativa Automatica #2)");
}

TEST_F(ProjectSelectionTest, NoAlternativeYetClearsTheDesignAndLaterSectorsShareSectorOne) {
    shell::ProyectoT one = Designed("Centro");
    one.Consultant = "Ing. Perez";
    one.Email = "perez@correo.co";
    one.Country = "COLOMBIA";
    one.Entity = "Acueducto";
    one.ProjectDate = "Mayo 2024";
    Control("AB-Centro", "AB1", one);
    shell::ProyectoT two = Designed("Otro");
    two.DesignAlternative = -1;
    const fs::path control = Control("AB-Centro", "AB2", two);
    Bytes bytes = ReadBytes(control);
    codec::PutI16(bytes, 5 * 512 + 424, 3);  // manual and automatic
    WriteBytes(control, bytes);
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);

    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"AB", "2", "7"}), 'S');
    EXPECT_EQ(Box(0).message,
              "Entidad   : Acueducto\r\nProyecto  : Centro\r\nFecha     : Mayo 2024\r\n"
              "Proceso   : Cualquier operacion en el Sector# 2 del proyecto");
    const shell::ProyectoT after = HeaderOf(control);
    EXPECT_EQ(after.Consultant, "Ing. Perez");
    EXPECT_EQ(after.Email, "perez@correo.co");
    EXPECT_EQ(after.Country, "COLOMBIA");
    EXPECT_EQ(after.ProjectName, "Centro");
    EXPECT_EQ(after.StageDone, (std::array<uint8_t, 4>{1, 0, 1, 1}));
    EXPECT_EQ(session.project.selection.sectors, "1");
    EXPECT_EQ(session.project.caption,
              "Centro      Codigo : AB     Sector : 2" + cp("     Diseño Manual y Automatico"));
}

TEST_F(ProjectSelectionTest, BackupFolderIsNotedInRecordZero) {
    const fs::path control = Control("AB-Centro", "AB1", Named("Centro"));
    fs::create_directory(base_ / "AB-Centro" / "Respaldo AB1");
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);
    rig.ui.answers = {'S'};
    ASSERT_EQ(selection.Accept({"AB", "1", "1"}), 'S');
    EXPECT_EQ(HeaderOf(control).BackupExists, 1);
}

// --- "Explorar..." and the other buttons ----------------------------------------------

TEST_F(ProjectSelectionTest, ExploreMakesTheChosenFolderTheBaseAndStoresIt) {
    const fs::path other = root_ / "otros";
    fs::create_directories(other);
    Control("AB-Centro", "AB1", Named("Centro"));
    fs::rename(base_ / "AB-Centro", other / "AB-Centro");
    session.folders.start = base_.string();
    ASSERT_EQ(selection.List(base_.string()), ListOutcome::Listed);

    ASSERT_EQ(selection.Explore((other / "Oprima Abrir (Open)").string()), ListOutcome::Listed);
    EXPECT_EQ(selection.baseFolder(), other.string());
    EXPECT_EQ(session.folders.project, other.string());
    EXPECT_EQ(fs::current_path(), other);
    EXPECT_EQ(settings.read(shell::kSettingsKey, "sProyDir"), other.string());
    EXPECT_EQ(selection.lines().front(), "AB1 - Centro SECTOR # 1");

    EXPECT_EQ(selection.Explore(""), ListOutcome::Listed);  // cancelled: nothing changes
    EXPECT_EQ(selection.baseFolder(), other.string());

    settings.write(shell::kSettingsKey, "sProyDir", "antes");
    ASSERT_EQ(selection.Explore((base_ / "x").string()), ListOutcome::Listed);
    EXPECT_EQ(settings.read(shell::kSettingsKey, "sProyDir"), "antes");  // the start folder

    EXPECT_EQ(selection.Explore((root_ / "no" / "x").string()), ListOutcome::FolderMissing);
    EXPECT_TRUE(rig.ui.boxes.empty());
}

TEST_F(ProjectSelectionTest, TerminateGuideAndInformationBoxes) {
    rig.ui.answers = {'N', 'S'};
    EXPECT_FALSE(selection.Terminate());
    EXPECT_TRUE(selection.Terminate());
    EXPECT_EQ(Box(0).message, "Desea abandonar ahora ?");
    EXPECT_EQ(Box(0).caption, "Salir del Programa");

    session.folders.program = "/opt/nivex";
    desktop.open = ui::OpenResult::FileMissing;
    selection.QuickGuide();
    EXPECT_EQ(desktop.lastOpened, "/opt/nivex/Guia Rapida.pdf");
    EXPECT_EQ(Box(2).message,
              "Falta el archivo Guia Rapida.pdf\rDebe estar en el mismo Directorio del programa "
              "NIVEX.exe\r\rNo afecta las demas opciones del Menu. REINSTALE EL PROGRAMA");
    EXPECT_EQ(Box(2).caption, "Error de Instalacion");
    desktop.open = ui::OpenResult::NoProgram;
    selection.QuickGuide();
    EXPECT_EQ(Box(3).message.rfind("Falta el programa AcrobatReader\r", 0), 0u);
    desktop.open = ui::OpenResult::Opened;
    selection.QuickGuide();
    EXPECT_EQ(rig.ui.boxes.size(), 4u);

    selection.ExplainDelete();
    selection.ExplainMissingProjects();
    EXPECT_EQ(Box(4).kind, "info");
    EXPECT_EQ(Box(4).message.rfind("                    INFORMACION :\r", 0), 0u);
    EXPECT_EQ(Box(5).message.rfind("                    INFORMACION:\r", 0), 0u);
}

}  // namespace
}  // namespace nivex::project
