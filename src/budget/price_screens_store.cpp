// What the price screens and nivex-batch store: the price file, the stage tag of the
// lump-sum items in record 5 and the budget marked to be computed again.

#include <algorithm>
#include <filesystem>

#include "budget/price_screens.h"
#include "console/codepage.h"
#include "network/network_controls.h"
#include "project/sector_lock.h"
#include "quantities/quantity_rules.h"

namespace nivex::budget {
namespace {

constexpr const char* kBadTag = "ERROR ... Dato invalido";
constexpr int kStageTagRecord = 5;

bool Blank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

bool SameItems(const std::vector<GlobalItemT>& a, const std::vector<GlobalItemT>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (a[k].description != b[k].description || a[k].tag != b[k].tag ||
            RoundToCents(a[k].value) != RoundToCents(b[k].value))
            return false;
    return true;
}

// The other sectors of the project (the totaliser too) that exist.
std::vector<std::string> OtherSectors(const project::Project& p) {
    std::vector<std::string> others;
    const project::Selection& sel = p.selection;
    if (!sel.severalSectors() || sel.code.empty()) return others;
    for (int k = 0; k <= sel.sectorCount && k <= 9; ++k) {
        const std::string extension = sel.code + static_cast<char>('0' + k);
        if (extension == p.files.extension()) continue;
        project::FileNames names;
        names.Build(p.files.folder(), extension);
        std::error_code ec;
        if (std::filesystem::exists(names.control(), ec)) others.push_back(extension);
    }
    return others;
}

// A price change reaches every other sector: each is held before anything is written, so
// that none in use by another program is changed under it. False with the message (code
// page) when one is in use; nothing is written then.
bool HoldOtherSectors(const project::Project& p, std::vector<project::SectorLock>& held,
                      std::string* error) {
    const std::string program = p.lock.held() ? p.lock.me().program : "NIVEX";
    for (const std::string& extension : OtherSectors(p)) {
        project::FileNames names;
        names.Build(p.files.folder(), extension);
        project::SectorLock lock;
        switch (lock.Acquire(names.lock(), project::ThisProcess(program, false))) {
            case project::LockResult::Taken:
                held.push_back(std::move(lock));
                break;
            case project::LockResult::Busy:
                *error = cp(project::InUseMessage(extension, lock.holder(), names.lock()));
                return false;
            case project::LockResult::Failed:
                *error = cp(lock.error());
                return false;
        }
    }
    return true;
}

// The prices serve every sector: a change leaves the budget of each other sector of the
// project (the totaliser too) to be computed again, with the same highest stage tag.
// The other sectors are held (HoldOtherSectors).
bool CarryPriceChange(const project::Project& p, std::string* error) {
    for (const std::string& extension : OtherSectors(p)) {
        project::Project other;
        other.files.Build(p.files.folder(), extension);
        std::string utf8;
        const bool saved = network::WithControl(other, &utf8, [&] {
            if (other.control.RecordCount() < shell::kControlRecords) return true;
            other.header.StageDone[3] = 0;
            other.espec.BudgetStageTag = p.espec.BudgetStageTag;
            return network::SaveControlRecords(other, {kStageTagRecord}, &utf8);
        });
        if (!saved) {
            *error = cp(utf8);
            return false;
        }
    }
    return true;
}

// The values of the lump-sum items through their field's rule: none is rounded unseen.
bool GlobalsFollowTheirRule(const std::vector<GlobalItemT>& items, std::string* error) {
    for (const GlobalItemT& item : items)
        if (const std::string rule = GlobalValueRule(item.value); !rule.empty()) {
            *error = cp("Valor de \"") + item.description + "\": " + rule;
            return false;
        }
    return true;
}

}  // namespace

bool LoadPriceBook(project::Project& p, PriceBook& book, std::string* error) {
    std::string utf8;
    if (!network::WithControl(p, &utf8, [] { return true; })) {
        *error = cp(utf8);
        return false;
    }
    book.chapters = BuildBudgetChapters(p.espec);
    book.firstDuct = quantities::LimitsOf(p.espec).firstDuct;
    book.path = PriceFilePath(p);
    book.prices = UnitPrices{};
    const PriceFileResult read = ReadPriceFile(book.path, book.firstDuct, book.prices);
    if (read.status == PriceRead::Damaged) {
        *error = read.error;
        return false;
    }
    return true;
}

bool StorePrices(project::Project& p, PriceBook& book, bool changed, std::string* error) {
    for (const BudgetChapter& chapter : book.chapters)
        for (const ItemGroup& group : chapter.groups)
            for (const BudgetItem& item : group.items) {
                const double* slot = PriceSlot(book.prices, item);
                if (!slot) continue;
                if (const std::string rule = UnitPriceRule(*slot); !rule.empty()) {
                    *error = cp("Precio de \"") + item.text + "\": " + rule;
                    return false;
                }
            }
    if (!GlobalsFollowTheirRule(book.prices.globals, error)) return false;
    std::vector<project::SectorLock> others;
    if (changed && !HoldOtherSectors(p, others, error)) return false;
    if (!WritePriceFile(book.path, book.firstDuct, book.prices, error)) return false;
    if (!changed) return true;
    std::string utf8;
    const bool saved = network::WithControl(p, &utf8, [&] {
        p.header.StageDone[3] = 0;
        return network::SaveControlRecords(p, {}, &utf8);
    });
    if (!saved) {
        *error = cp(utf8);
        return false;
    }
    return CarryPriceChange(p, error);
}

std::string GlobalTagProblem(const std::string& tag) {
    if (tag.size() == 1 && ((tag[0] >= '0' && tag[0] <= '3') || tag[0] == 'E')) return {};
    return kBadTag;
}

std::vector<GlobalItemT> CompactGlobals(const std::vector<GlobalItemT>& rows) {
    std::vector<GlobalItemT> kept;
    for (const GlobalItemT& row : rows) {
        GlobalItemT item = row;
        item.value = RoundToCents(item.value);
        if (item.tag.empty()) item.tag.push_back('0');  // an empty tag is no stage
        if (Blank(item.description) || !(item.value > 0)) continue;
        if (static_cast<int>(kept.size()) < kGlobalKept) kept.push_back(std::move(item));
    }
    return kept;
}

std::string HighestStageTag(const std::vector<GlobalItemT>& items) {
    char highest = '0';
    for (const GlobalItemT& item : items)
        if (item.tag.size() == 1 && item.tag[0] >= '0' && item.tag[0] <= '3')
            highest = std::max(highest, item.tag[0]);
    return std::string(1, highest);
}

bool StoreGlobals(project::Project& p, PriceBook& book, const std::vector<GlobalItemT>& rows,
                  std::string* error) {
    if (!GlobalsFollowTheirRule(rows, error)) return false;
    std::vector<GlobalItemT> kept = CompactGlobals(rows);
    const bool changed = !SameItems(kept, book.prices.globals);
    std::vector<project::SectorLock> others;
    if (changed && !HoldOtherSectors(p, others, error)) return false;
    book.prices.globals = std::move(kept);
    std::string utf8;
    const bool saved = network::WithControl(p, &utf8, [&] {
        p.espec.BudgetStageTag = HighestStageTag(book.prices.globals);
        if (changed) p.header.StageDone[3] = 0;
        return network::SaveControlRecords(p, {kStageTagRecord}, &utf8);
    });
    if (!saved) {
        *error = cp(utf8);
        return false;
    }
    if (!WritePriceFile(book.path, book.firstDuct, book.prices, error)) return false;
    return !changed || CarryPriceChange(p, error);
}

}  // namespace nivex::budget
