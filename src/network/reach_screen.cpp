// "ENTRADA DATOS TRAMOS": one reach per page over the open reach file. The rules of
// every field and of the whole reach are those of reach_rules; this file only moves
// between fields and lines, draws, and writes.

#include "network/reach_screen.h"

#include <array>
#include <filesystem>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "network/reach_csv.h"
#include "network/reach_file.h"
#include "network/reach_rules.h"
#include "shell/session.h"

namespace nivex::network {
namespace {

using console::CampoT;
using console::ColourMode;
using console::FieldValue;

constexpr const char* kTitle = "ENTRADA DATOS TRAMOS";
constexpr const char* kLegendStart =
    "F4^salvar F5^buscar F9^borrar F11^recup.dato PgDn^avanzar PgUp^retroceder ESC^salir ";
constexpr const char* kEndKeys = "Enter Esc Up Dn F4 F5 PgUp PgDn AF1 AF2 F6 CtrZ";
constexpr const char* kEndKeysSwmm = "Enter Esc Up Dn F4 F5 PgUp PgDn AF2 F6 CtrZ";
constexpr const char* kRemovalMark =
    "Tramo a eliminar durante el diseño. Para cancelar reoprima el boton";
constexpr const char* kSaved = "... Grabacion Hecha ...";
constexpr int kDimColour = 7;
constexpr uint8_t kF4 = key::F1 + 3;
constexpr uint8_t kF5 = key::F1 + 4;
constexpr uint8_t kF6 = key::F1 + 5;
constexpr int kStatusRow = 24;
constexpr int kSearchRow = 24;

CampoT Name(const std::string& prompt, int row) {
    CampoT f = Campo(prompt, row, 'S', static_cast<int>(kNameLength), 0);
    f.upperCase = true;
    return f;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

struct Taken {
    bool ok = true;
    int goTo = 0;  // the field to go to instead of the key's move
};

class ReachScreen {
  public:
    explicit ReachScreen(shell::Session& s)
        : s_(s), screen_(s.screen), sw_(s.switches), p_(s.project) {}

    void Run();

  private:
    bool Open();
    void Close();

    const CampoT& Field(int k) const {
        // The type field of a reach from another sector sits below the class-4 data.
        if (k == kFieldType && t_.Class == kScreenClassOtherSector) return typeBelow_;
        return fields_[static_cast<size_t>(k)];
    }
    FieldValue ValueOf(int k);
    void LoadBuffers();
    void StoreBuffer(int k);
    bool Applies(int k) const { return FieldApplies(k, t_, c_); }
    int Forward(int k) const;
    int Backward(int k) const;

    void DrawFrame();
    void Show();
    void ShowRowOne();
    void ShowStatus();
    void Message(const std::string& text);  // on the error line, without a beep

    bool Load(int line);
    bool Write();
    bool MarkHeader();
    bool MoveTo(int line);
    // PgDn: the reach is written first, so that a new line makes room for the next one.
    bool Advance();
    int NextLine() const;

    Taken Take(int k, const TramoT& before, uint8_t key);
    bool AskSector(int k);
    void LineField(uint8_t key);
    bool EndReach();

    void SaveAll();
    void Search();
    void ToggleRemoval();
    void RemoveRestrictions();
    void Reorder();

    shell::Session& s_;
    console::Screen& screen_;
    UiSwitches& sw_;
    project::Project& p_;
    ReachContext c_;
    ReachFile file_;
    std::array<CampoT, kReachFieldCount + 1> fields_{};
    CampoT typeBelow_;

    TramoT t_;
    int line_ = 1, previous_ = 1, typedLine_ = 1;
    bool changed_ = false;     // the reach on screen differs from its record
    bool anyChanged_ = false;  // something was written in this run
    bool headerMarked_ = false;
    AcceptedDiameters accepted_;
    std::string special_ = "N";
    int16_t lineEdit_ = 1, rain_ = 0, contribution_ = 0, class_ = 0, type_ = 0, sector_ = 0;
};

FieldValue ReachScreen::ValueOf(int k) {
    switch (k) {
        case kFieldLine:
            return &lineEdit_;
        case kFieldUpstream:
            return &t_.Upstream;
        case kFieldDownstream:
            return &t_.Downstream;
        case kFieldZone:
            return &t_.SanitaryZone;
        case kFieldRain:
            if (RainFieldForm(c_) == RainField::RasZone) return &t_.RasZone;
            return &rain_;
        case kFieldContribution:
            return &contribution_;
        case kFieldGroundUp:
            return &t_.GroundUp;
        case kFieldGroundDown:
            return &t_.GroundDown;
        case kFieldLength:
            return &t_.Length;
        case kFieldArea:
            return &t_.Area;
        case kFieldClass:
            return &class_;
        case kFieldCrownUp:
            return &t_.CrownUp;
        case kFieldDiameter:
        case kFieldInDiameter:
            return &t_.Diameter;
        case kFieldSlope:
            return &t_.Slope;
        case kFieldCrownDown:
        case kFieldInCrownDown:
            return &t_.CrownDown;
        case kFieldManningN:
            return &t_.ManningN;
        case kFieldSpecialData:
            return &special_;
        case kFieldIndustrialVelocity:
            return &t_.IndustrialVelocity;
        case kFieldMinimumDepth:
            return &t_.MinimumDepth;
        case kFieldPointFlow:
        case kFieldInPointFlow:
            return &t_.PointFlow;
        case kFieldFutureArea:
            return &t_.FutureArea;
        case kFieldStormArea:
            return &t_.StormArea;
        case kFieldStormAreaTime:
            return &t_.StormAreaTime;
        case kFieldRunoff:
            return &t_.Runoff;
        case kFieldReliefFactor:
            return &t_.ReliefFactor;
        case kFieldType:
            return &type_;
        case kFieldInFlow:
            return &t_.InFlow;
        case kFieldInInfiltration:
            return &t_.InInfiltration;
        case kFieldInPopulation:
            return &t_.InPopulation;
        case kFieldInRealArea:
            return &t_.InRealArea;
        case kFieldInEquivalentArea:
            return &t_.InEquivalentArea;
        case kFieldInOriginTime:
            return &t_.InOriginTime;
        case kFieldInReachTime:
            return &t_.InReachTime;
        default:
            return &sector_;
    }
}

void ReachScreen::LoadBuffers() {
    lineEdit_ = static_cast<int16_t>(line_);
    rain_ = static_cast<int16_t>(t_.RainNumber);
    contribution_ = static_cast<int16_t>(t_.Contribution);
    class_ = static_cast<int16_t>(t_.Class);
    type_ = static_cast<int16_t>(t_.Type);
    sector_ = static_cast<int16_t>(t_.Sector);
}

void ReachScreen::StoreBuffer(int k) {
    switch (k) {
        case kFieldRain:
            if (RainFieldForm(c_) != RainField::RasZone) t_.RainNumber = rain_;
            break;
        case kFieldContribution:
            t_.Contribution = contribution_;
            break;
        case kFieldSourceSector:
        case kFieldDestinationSector:
            t_.Sector = sector_;
            break;
        default:
            break;  // class and type go through their rules
    }
}

int ReachScreen::Forward(int k) const {
    for (int n = k + 1; n <= GroupLast(t_); ++n)
        if (Applies(n)) return n;
    return k;
}

int ReachScreen::Backward(int k) const {
    for (int n = k - 1; n >= kFieldLine; --n)
        if (Applies(n) && n != kFieldDestinationSector) return n;
    return k;
}

bool ReachScreen::Open() {
    std::string error;
    if (!LoadReachContext(p_, c_, &error)) {
        s_.ui.showError(cp(error), "Error");
        return false;
    }
    if (!EraseReachWork(p_.files, error)) {
        s_.ui.showError(cp(error), "Error");
        return false;
    }
    std::error_code ec;
    const std::string saved = ReorderListPath(p_.files);
    if (std::filesystem::exists(saved, ec) && std::filesystem::file_size(saved, ec) == 0)
        std::filesystem::remove(saved, ec);
    if (!OpenNetwork(p_, file_)) {
        s_.ui.showError(p_.error, "Error");
        return false;
    }
    c_.lineCount = file_.count();
    fields_ = ReachFieldDescriptors(c_);
    typeBelow_ = fields_[kFieldType];
    typeBelow_.row = 24;
    return true;
}

void ReachScreen::DrawFrame() {
    s_.console.setEffects(0);
    screen_.SetColours(ColourMode::Normal);
    s_.console.clrScr();
    ShowRowOne();
    const std::string legend = std::string(kLegendStart) + (c_.fromSwmm ? "" : "AltF1^reordenar ") +
                               "AltF2^elim_Restric F6^Quitar_Exist";
    screen_.ShowLegend(legend);
    sw_.endKeys = c_.fromSwmm ? kEndKeysSwmm : kEndKeys;
}

void ReachScreen::ShowRowOne() {
    screen_.SetColours(ColourMode::Normal);
    s_.console.gotoXY(1, 1);
    s_.console.clrEol();
    if (t_.RemoveExisting != 0) {
        screen_.SetColours(ColourMode::NormalEmphasis);
        screen_.WriteCentred(1, cp(kRemovalMark));
        screen_.SetColours(ColourMode::Normal);
    } else {
        screen_.ShowHeader(kTitle);
    }
}

void ReachScreen::ShowStatus() {
    screen_.SetColours(ColourMode::Normal);
    s_.console.gotoXY(1, kStatusRow);
    s_.console.clrEol();
    const std::string status = LineLimitStatus(c_);
    if (status.empty()) return;
    screen_.SetColours(ColourMode::NormalEmphasis);
    screen_.WriteCentred(kStatusRow, status);
    screen_.SetColours(ColourMode::Normal);
}

void ReachScreen::Message(const std::string& text) {
    screen_.SetColours(ColourMode::AlternateEmphasis);
    s_.console.gotoXY(1, console::Screen::kErrorRow);
    s_.console.clrEol();
    screen_.WriteCentred(console::Screen::kErrorRow, cp(text));
    screen_.SetColours(ColourMode::Normal);
    sw_.errorShowing = true;  // the next key clears it
}

void ReachScreen::Show() {
    LoadBuffers();
    ShowRowOne();
    screen_.SetColours(ColourMode::Normal);
    for (int row = 2; row < kStatusRow; ++row) {
        s_.console.gotoXY(1, row);
        s_.console.clrEol();
    }
    ShowStatus();
    screen_.ClearZones();
    for (int k = kFieldLine; k <= kReachFieldCount; ++k) {
        if (!Applies(k)) continue;
        const CampoT& f = Field(k);
        if (k == kFieldIndustrialVelocity && !IndustrialVelocityEditable(c_)) {
            s_.console.textColor(kDimColour);
            s_.console.gotoXY(f.column, f.row);
            s_.console.writeText(f.prompt);
            screen_.ShowField(f, ValueOf(k), 1);
        } else {
            screen_.ShowField(f, ValueOf(k), 2);
        }
        screen_.AddFieldZone(f, k);
    }
}

bool ReachScreen::Load(int line) {
    t_ = TramoT{};
    if (line <= file_.count() && !file_.ReadLine(line, t_)) {
        s_.ui.showError(cp(file_.error()), "Error");
        return false;
    }
    line_ = line;
    c_.line = line;
    special_ = "N";
    changed_ = false;
    return true;
}

bool ReachScreen::MarkHeader() {
    if (!p_.OpenControl()) return false;
    bool ok = p_.ReadHeader();
    if (ok) {
        RecordNetworkChange(p_.header, file_.count());
        ok = p_.WriteHeader();
    }
    p_.CloseControl();
    return ok;
}

bool ReachScreen::Write() {
    SettleSector(t_);
    if (!file_.WriteLine(line_, t_)) {
        s_.ui.showError(cp(file_.error()), "Error");
        return false;
    }
    c_.lineCount = file_.count();
    changed_ = false;
    anyChanged_ = true;
    // The header says at once that the network changed: the controls and the later
    // stages can never pass over data they did not see.
    if (!headerMarked_) {
        headerMarked_ = true;
        if (!MarkHeader()) s_.ui.showError(p_.error, "Error");
    }
    return true;
}

int ReachScreen::NextLine() const {
    const int last = c_.fromSwmm ? std::max(file_.count(), 1) : NextFreeLine(c_);
    return std::min(line_ + 1, last);
}

bool ReachScreen::MoveTo(int line) {
    if (changed_ && !Write()) return false;
    const int from = line_;
    if (!Load(line)) {
        Load(from);
        Show();
        return false;
    }
    if (line != from) previous_ = from;
    Show();
    return true;
}

bool ReachScreen::Advance() {
    if (changed_ && !Write()) return false;
    return MoveTo(NextLine());
}

bool ReachScreen::AskSector(int k) {
    const CampoT& f = Field(k);
    for (;;) {
        sector_ = static_cast<int16_t>(t_.Sector);
        screen_.ShowField(f, &sector_, 2);
        screen_.EditField(f, &sector_);
        if (sw_.lastKey == key::Esc) return false;
        const std::string refused = k == kFieldSourceSector ? SourceSectorRule(sector_, c_)
                                                            : DestinationSectorRule(sector_, c_);
        if (refused.empty()) {
            t_.Sector = sector_;
            screen_.ClearFieldError();
            return true;
        }
        screen_.FieldError(cp(refused));
    }
}

Taken ReachScreen::Take(int k, const TramoT& before, uint8_t key) {
    const bool up = key == key::Up;
    const bool back = up || key == key::Esc || key == key::PgUp;
    std::string refused;
    switch (k) {
        case kFieldUpstream:
        case kFieldDownstream: {
            std::string& name = k == kFieldUpstream ? t_.Upstream : t_.Downstream;
            name = Trimmed(name);
            if (!name.empty()) {
                const auto valid = ManholeName(name);
                if (!valid) {
                    refused = "ERROR...Nomenclatura incorrecta";
                    break;
                }
                name = *valid;
            }
            refused = k == kFieldUpstream ? UpstreamRule(name, back)
                                          : DownstreamRule(t_.Upstream, name, back);
            break;
        }
        case kFieldZone:
            refused = ZoneRule(t_.SanitaryZone, c_, up);
            break;
        case kFieldRain:
            refused =
                RainRule(RainFieldForm(c_) == RainField::RasZone ? t_.RasZone : rain_, c_, up);
            break;
        case kFieldContribution:
            refused = ContributionRule(contribution_);
            break;
        case kFieldGroundUp:
            refused = GroundUpRule(t_.GroundUp);
            break;
        case kFieldGroundDown:
            refused = GroundDownRule(t_.GroundDown);
            break;
        case kFieldLength:
            refused = LengthRule(t_.Length);
            if (refused.empty()) RecomputeSlope(t_);
            break;
        case kFieldClass: {
            const FieldResult r = ClassRule(class_, c_);
            if (!r.ok()) {
                refused = r.message;
                break;
            }
            const std::string abnormal = ApplyClass(t_, before.Class, class_);
            // The n the opening gives to existing reaches without one, offered at once.
            if ((class_ == kClassExisting || class_ == kClassNotInvestigated) && t_.ManningN == 0)
                t_.ManningN = c_.espec.ExistingReachManningN;
            if (r.ask == ReachAsk::SourceSector) {
                Show();
                if (!AskSector(kFieldSourceSector)) {
                    t_ = before;
                    return {false};
                }
            }
            if (!abnormal.empty()) {
                Show();
                screen_.FieldError(cp(abnormal));
                return {true, kFieldCrownUp};
            }
            break;
        }
        case kFieldCrownUp:
        case kFieldCrownDown: {
            float& crown = k == kFieldCrownUp ? t_.CrownUp : t_.CrownDown;
            const float other = k == kFieldCrownUp ? t_.CrownDown : t_.CrownUp;
            if (crown == 0 && up && other != 0) {
                crown = k == kFieldCrownUp ? before.CrownUp : before.CrownDown;
                break;
            }
            if (crown == 0 && up) break;
            refused = k == kFieldCrownUp ? CrownUpRule(t_, crown) : CrownDownRule(t_, crown);
            if (refused.empty()) RecomputeSlope(t_);
            break;
        }
        case kFieldDiameter: {
            const FieldResult r = DiameterRule(t_, t_.Diameter, c_, accepted_, up);
            refused = r.message;
            if (r.ask == ReachAsk::AcceptDiameter) {
                if (s_.ui.askYesNo(cp("Diametro comercial no incluido. Lo Acepta?"), "Control") !=
                    'S')
                    return {false};
                accepted_.accept(t_.Diameter);
            }
            break;
        }
        case kFieldSlope:
            ApplySlope(t_, before.Slope, t_.Slope);
            break;
        case kFieldManningN:
            refused = ManningNRule(t_.ManningN);
            break;
        case kFieldIndustrialVelocity:
            refused = IndustrialVelocityRule(t_.IndustrialVelocity, c_);
            break;
        case kFieldStormArea:
            ApplyStormArea(t_);
            break;
        case kFieldType: {
            const FieldResult r = TypeRule(type_, c_);
            if (!r.ok()) {
                refused = r.message;
                break;
            }
            ApplyType(t_, type_);
            if (r.ask == ReachAsk::DestinationSector) {
                Show();
                if (!AskSector(kFieldDestinationSector)) {
                    t_ = before;
                    return {false};
                }
            }
            SettleSector(t_);
            break;
        }
        case kFieldInDiameter:
            refused = InDiameterRule(t_.Diameter, c_);
            break;
        case kFieldInEquivalentArea:
            refused = InEquivalentAreaRule(t_.InEquivalentArea, t_.InRealArea);
            break;
        case kFieldSourceSector:
            refused = SourceSectorRule(t_.Sector, c_);
            break;
        default:
            break;
    }
    if (!refused.empty()) {
        screen_.FieldError(cp(refused));
        return {false};
    }
    return {true};
}

bool ReachScreen::EndReach() {
    SettleSector(t_);
    const std::string refused = WholeReachMessage(WholeReachCheck(t_, c_));
    if (!refused.empty()) {
        screen_.FieldError(cp(refused));
        return false;
    }
    return Advance();
}

void ReachScreen::LineField(uint8_t key) {
    switch (key) {
        case key::Enter:
        case key::Down: {
            const std::string beyond = LineBeyondLimit(lineEdit_);
            if (!beyond.empty()) {
                screen_.FieldError(cp(beyond));
                return;
            }
            typedLine_ = ClampLine(lineEdit_, c_);
            MoveTo(typedLine_);
            return;
        }
        case key::Esc:
            MoveTo(std::min(previous_, NextFreeLine(c_)));
            return;
        default:
            LoadBuffers();  // any other key leaves the line as it was
            screen_.ShowField(Field(kFieldLine), &lineEdit_, 1);
            return;
    }
}

void ReachScreen::SaveAll() {
    bool ok = p_.OpenControl() && p_.ReadHeader();
    if (ok) {
        if (anyChanged_)
            RecordNetworkChange(p_.header, file_.count());
        else
            p_.header.ReachCount = file_.count();
        ok = p_.WriteHeader();
    }
    p_.CloseControl();
    // Closing and opening again puts everything written on disk.
    ok = ok && file_.Close() && OpenNetwork(p_, file_);
    if (!ok) {
        s_.ui.showError(p_.error.empty() ? cp(file_.error()) : p_.error, "Error");
        return;
    }
    Message(kSaved);
}

void ReachScreen::Search() {
    std::string up, down;
    const bool search = AskSearchNames(s_, kSearchRow, up, down);
    ShowStatus();
    if (!search) return;
    const int found = FindReachLine(file_.index(), up, down, line_);
    if (found == 0) {
        Message("... No se encontro ...");
        return;
    }
    MoveTo(found);
}

void ReachScreen::ToggleRemoval() {
    if (t_.Class != kClassExisting && t_.Class != kClassNotInvestigated) {
        screen_.FieldError(cp("Solo aplica a Tramos Exitentes o No Investigados"));
        return;
    }
    if (t_.Type == kScreenTypeToSector) {
        screen_.FieldError(cp("No aplica a tramos existentes que vienen de otro Sector"));
        return;
    }
    t_.RemoveExisting = t_.RemoveExisting != 0 ? 0.0f : 1.0f;
    if (Write()) ShowRowOne();
}

void ReachScreen::RemoveRestrictions() {
    if (changed_ && !Write()) return;
    if (s_.ui.askYesNo(cp("Confirma la eliminacion de las restricciones de los tramos"),
                       "Confirmacion") == 'S') {
        for (int line = 1; line <= file_.count(); ++line) {
            TramoT r;
            if (!file_.ReadLine(line, r)) {
                s_.ui.showError(cp(file_.error()), "Error");
                break;
            }
            if (r.Class != kClassRestricted) continue;
            r.Class = kClassNew;
            r.CrownUp = r.Diameter = r.Slope = r.CrownDown = 0;
            if (!file_.WriteLine(line, r)) {
                s_.ui.showError(cp(file_.error()), "Error");
                break;
            }
            anyChanged_ = true;
            if (!headerMarked_) {
                headerMarked_ = true;
                if (!MarkHeader()) s_.ui.showError(p_.error, "Error");
            }
        }
        s_.ui.showInformation("Proceso terminado", "Informacion");
    }
    if (Load(line_)) Show();
}

void ReachScreen::Reorder() {
    if (changed_ && !Write()) return;
    const std::string up = t_.Upstream, down = t_.Downstream;
    if (RunReorderScreen(s_, file_, line_)) {
        anyChanged_ = true;
        headerMarked_ = false;
        if (!MarkHeader()) s_.ui.showError(p_.error, "Error");
        headerMarked_ = true;
    }
    c_.lineCount = file_.count();
    DrawFrame();
    // Back on the reach it was called on, where it went in the new order.
    int line = up.empty() && down.empty() ? 0 : FindReachLine(file_.index(), up, down, 0);
    if (line == 0) line = 1;
    previous_ = line;
    if (!Load(line)) Load(1);
    Show();
}

void ReachScreen::Close() {
    if (changed_) Write();
    const int count = file_.count();
    file_.Close();
    if (!p_.OpenControl()) return;
    if (p_.ReadHeader()) {
        if (anyChanged_)
            RecordNetworkChange(p_.header, count);
        else
            p_.header.ReachCount = count;
        if (!p_.WriteHeader()) s_.ui.showError(p_.error, "Error");
    }
    p_.CloseControl();
}

void ReachScreen::Run() {
    if (!Open()) return;
    if (c_.simulated)
        s_.ui.showWarning(cp("Si se modifica algun dato el proyecto cambiara de simulado a "
                             "normal.\r(Se perderan algunas funcionalidades de los proyectos "
                             "simulados.)"),
                          "Advertencia");
    const std::string endKeys = sw_.endKeys;
    const bool blankZero = sw_.blankZero;
    sw_.blankZero = false;
    line_ = std::max(file_.count(), 1);
    previous_ = typedLine_ = line_;
    Load(line_);
    DrawFrame();
    Show();
    const int first = c_.fromSwmm ? kFieldZone : kFieldUpstream;
    int field = Applies(first) ? first : Forward(first);
    const auto leave = [&] {
        // Nothing the screen showed on its error line stays marked behind it.
        if (sw_.errorShowing) screen_.ClearFieldError();
        Close();
        sw_.endKeys = endKeys;
        sw_.blankZero = blankZero;
        screen_.ZonesOff();
        s_.console.hideCaret();
    };

    try {
        for (;;) {
            if (!Applies(field)) field = Forward(kFieldLine);
            const TramoT before = t_;
            LoadBuffers();
            screen_.EditField(Field(field), ValueOf(field));
            const uint8_t k = sw_.lastKey;
            if (field == kFieldLine) {
                if (k == key::Enter || k == key::Down || k == key::Esc) {
                    LineField(k);
                    field = first;
                    continue;
                }
                if (k != kF5 && k != key::PgUp && k != key::PgDn && k != key::AltF1 &&
                    k != key::AltM) {
                    LineField(k);
                    continue;
                }
            } else {
                StoreBuffer(field);
                const bool typed = sw_.fieldChanged && field != kFieldSpecialData;
                // Going back over a field left as it was never asks for its value.
                const bool untouched = k == key::Up && !sw_.fieldChanged;
                Taken taken;
                try {
                    if (!untouched) taken = Take(field, before, k);
                } catch (const console::ProgramExit&) {
                    t_ = before;  // a question of the rule left unanswered takes nothing
                    throw;
                }
                if (!taken.ok) {
                    // A refused value is asked again, whatever key ended it, Esc too; the
                    // reach keeps what it had, so F11 and leaving never see the refused one.
                    // A question the rule opened (a sector) goes from the screen with it.
                    t_ = before;
                    Show();
                    continue;
                }
                if (typed || taken.goTo != 0) {
                    changed_ = true;
                }
                if (taken.goTo != 0) {
                    field = taken.goTo;
                    continue;
                }
                if (field != kFieldSpecialData) Show();
            }

            switch (k) {
                case key::Esc:
                    leave();
                    return;
                case key::Up:
                    field = Backward(field);
                    break;
                case key::Enter:
                case key::Down:
                    if (field == kFieldClass) {
                        field = Applies(GroupFirst(t_)) ? GroupFirst(t_) : Forward(GroupFirst(t_));
                    } else if (field == kFieldSpecialData && special_ != "S" &&
                               Applies(GroupLast(t_))) {
                        field = GroupLast(t_);
                    } else if (field == kFieldSpecialData && special_ != "S") {
                        if (EndReach()) field = first;
                    } else if (field >= GroupLast(t_) || Forward(field) == field) {
                        if (EndReach()) field = first;
                    } else {
                        field = Forward(field);
                    }
                    break;
                case key::PgDn:
                    if (Advance()) field = first;
                    break;
                case key::PgUp:
                    if (MoveTo(std::max(line_ - 1, 1))) field = first;
                    break;
                case key::CtrlZ:
                    if (MoveTo(std::min(typedLine_, NextFreeLine(c_)))) field = first;
                    break;
                case kF4:
                    SaveAll();
                    break;
                case kF5:
                    Search();
                    break;
                case key::AltF1:
                    if (!c_.fromSwmm) {
                        Reorder();
                        field = first;
                    }
                    break;
                case key::AltF2:
                    RemoveRestrictions();
                    break;
                case key::AltM: {
                    const int clicked = screen_.SelectClickedField();
                    if (clicked >= kFieldLine && clicked <= kReachFieldCount && Applies(clicked))
                        field = clicked;
                    break;
                }
                case kF6:
                    ToggleRemoval();
                    break;
                default:
                    break;
            }
        }
    } catch (const console::ProgramExit&) {
        // Leaving the program from the screen keeps the reach as Esc does: every field
        // already taken is written.
        leave();
        throw;
    }
}

}  // namespace

bool AskSearchNames(shell::Session& s, int row, std::string& upstream, std::string& downstream) {
    console::Screen& screen = s.screen;
    UiSwitches& sw = s.switches;
    CampoT from = Name("DE :", row);
    CampoT to = Name("A :", row);
    to.column = 15;
    CampoT go = Campo("<Enter>=buscar  <Esc>=cancelar :", row, 'S', 1, 0, 30);
    std::string answer;
    upstream.clear();
    downstream.clear();
    const std::string keys = sw.endKeys;
    sw.endKeys = "Enter Esc Up Dn";
    screen.SetColours(ColourMode::Normal);
    s.console.gotoXY(1, row);
    s.console.clrEol();
    screen.ShowField(from, &upstream, 2);
    screen.ShowField(to, &downstream, 2);
    screen.ShowField(go, &answer, 2);
    int at = 0;
    bool search = false;
    for (;;) {
        const CampoT& f = at == 0 ? from : at == 1 ? to : go;
        std::string& value = at == 0 ? upstream : at == 1 ? downstream : answer;
        screen.EditField(f, &value);
        const uint8_t k = sw.lastKey;
        if (k == key::Esc) break;
        if (k == key::Up) {
            at = std::max(at - 1, 0);
        } else if (at < 2) {
            ++at;
        } else if (k == key::Enter) {
            search = true;
            break;
        }
    }
    sw.endKeys = keys;
    s.console.gotoXY(1, row);
    s.console.clrEol();
    upstream = Trimmed(upstream);
    downstream = Trimmed(downstream);
    return search && !(upstream.empty() && downstream.empty());
}

void RunReachEntry(shell::Session& s) {
    // The menu bar's "Tramos" pushes a sub-option key after the main key: left in the
    // queue it would be typed into the first field of the last reach.
    if (s.switches.keysInjected && s.console.queue().peek() == 'A') s.console.takeKey();
    ReachScreen screen(s);
    screen.Run();
}

}  // namespace nivex::network
