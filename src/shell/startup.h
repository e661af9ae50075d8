#pragma once
// From process start to the main menu: folders from the settings store, the listing
// font, the full-screen text window.

#include <optional>
#include <string>

#include "shell/session.h"

namespace nivex::shell {

constexpr const char* kVersionText = "20.12";
constexpr const char* kCaptionPrefix = "NIVEX - VERSION: ";
constexpr const char* kSettingsKey = "\\Nivex";
constexpr const char* kFontFileName = "Nivex.TTF";

// The default folders, under the user's home.
struct FolderDefaults {
    std::string project;  // "01 Archivos NivexPlus/NivexPlus"
    std::string swmm;     // "00 Archivos Swmm"
    std::string word;     // "00 Archivos Word de NivexPlus"
    static FolderDefaults underHome(const std::string& home);
};

// Fixes the project, SWMM and word folders from the settings store and makes the project
// folder current. Returns a message when a default folder cannot be created.
std::optional<std::string> ResolveFolders(ui::SettingsStore& settings,
                                          const FolderDefaults& defaults,
                                          const std::string& programFiles, Folders& folders);

// Start-up after the main window exists: separator, silence, first key, folders, the
// full-screen text window, the menu bar, the listing font. False when the program must
// end (the fatal box has been shown).
bool StartUp(Session& session, const FolderDefaults& defaults, const std::string& programFiles);

// The main window's caption.
std::string MainCaption();

}  // namespace nivex::shell
