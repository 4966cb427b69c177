// The macro library of one device: the index file "macro.config" and one
// "<id>.mac" file per macro, both in the device's data folder.
//
// "macro.config": {"MacroInfo": [{"MacroName": name, "Guid": id}, …]}; the
// array index is the macro's library index, which keys store in param1.
// "<id>.mac": {"MacroName", "Guid", "Events": [event objects], "Version": 64}.
// Event object: {"Button": 0–255, "Action": "down"|"up", "Type": n,
// "Delay": decimal text (or the integer 0)}.
//
// "macro.config" may be edited by hand: a "Guid" that is not a plain file name
// (a path separator, "." or "..", a control character, too long) never names
// a file, nor does one that is not valid UTF-8 (the index could not keep it);
// Load gives such an entry a fresh id and writes the index back.
#pragma once

#include <json/json.h>

#include <string>
#include <string_view>
#include <vector>

struct MacroEntry {
    std::string name;  // UTF-8
    std::string guid;  // file id, the file name without ".mac"
};

// One row of the editor's action list: the delay field's text and the styled
// JSON text of the row's event object (empty: the row has no event).
struct MacroRow {
    std::string delay;
    std::string event;
};

enum class MacroRenameResult {
    kRenamed = 0,
    kNoSelection,   // the index names no macro
    kBlank,         // empty after trimming white space
    kDuplicate,     // a macro of the list (the renamed one included) has the name, case ignored
    kWriteFailed,   // "macro.config" could not be written; nothing changed
};

enum class MacroImportResult {
    kImported = 0,
    kNoPath,        // empty path
    kLibraryFull,   // already kMaxMacros macros
    kUnreadable,    // the file could not be read
    kWriteFailed,   // the macro file or "macro.config" could not be written
};

class CMacroLibrary {
  public:
    static constexpr size_t kMaxMacros = 50;
    static constexpr size_t kMaxEditorEvents = 58;
    static constexpr size_t kMaxIdBytes = 200;
    static constexpr unsigned kMaxDelay = 65535;
    static constexpr int kMacroFileVersion = 64;
    static constexpr char kIndexFileName[] = "macro.config";
    static constexpr char kMacroExtension[] = ".mac";

    // folder: the device's data folder (a trailing "/" is optional).
    explicit CMacroLibrary(std::string folder);

    // Re-reads "macro.config"; a missing or unreadable file is an empty library.
    // Entries whose id is not a plain file name get a fresh id (see
    // RepairedIds), and the index is written back.
    const std::vector<MacroEntry>& Load();
    // How many ids the last Load replaced, and whether writing the mended
    // index failed (the fresh ids then live in memory only).
    size_t RepairedIds() const { return repaired_; }
    bool RepairWriteFailed() const { return repairWriteFailed_; }
    const std::vector<MacroEntry>& Entries() const { return entries_; }
    size_t Count() const { return entries_.size(); }

    std::string IndexPath() const;
    // The macro file of the entry at index, or empty when the index names no
    // macro or its id is empty.
    std::string MacroFilePath(int index) const;

    // Appends a macro with the default name and a fresh id and writes
    // "macro.config" (no macro file yet). Returns the new name, or empty when
    // the library is full or the index could not be written.
    std::string Create();

    MacroRenameResult Rename(int index, const std::string& name);

    // Deletes the macro file (a missing one is ignored; one that another entry
    // also names is kept) and the entry; later macros move down by one. False
    // when the index names no macro or "macro.config" could not be written.
    bool Delete(int index);

    // Writes the macro file from the editor's rows. Returns rows − 58 when
    // there are 59 rows or more, −1 when the index names no macro, its id is
    // empty or the file could not be written, else 0. Each row's delay is
    // normalised to decimal digits ("" → "0") and its event text rewritten
    // with that delay; a row without an event ends the walk.
    int Save(int index, std::vector<MacroRow>& rows);

    // The "Events" array of the macro file (an empty array when the file is
    // missing or unreadable, or the index names no macro).
    Json::Value ReadEvents(int index) const;

    // Adds a macro named after the file (see ImportName) with a fresh id and
    // copies the file byte for byte to its macro file. *newIndex receives the
    // new library index when given.
    MacroImportResult Import(const std::string& path, int* newIndex = nullptr);

    // Copies the macro file unchanged to path. False when the index names no
    // macro, its file cannot be read or path cannot be written.
    bool Export(int index, const std::string& path) const;

    // "macro_" + the lowest n ≥ 1 no entry has as its name, case ignored.
    static std::string DefaultName(const std::vector<MacroEntry>& entries);
    // title, then title + "(2)", then that + "(3)", … until no entry has it, case ignored.
    static std::string ImportName(const std::string& title, const std::vector<MacroEntry>& entries);
    // The delay field as decimal digits: leading white space skipped, the
    // leading digits kept without leading zeros; "0" when there are none.
    static std::string NormaliseDelay(std::string_view text);
    // True when both UTF-8 names are equal with case ignored.
    static bool SameName(const std::string& a, const std::string& b);
    // True when id can name a file directly inside the device folder.
    static bool IsPlainId(std::string_view id);

    // Checks a macro file's document as the device would get it: an object
    // whose "Events" array holds at most maxEvents event objects, each with
    // "Button" 0–255, "Action" "down" or "up", "Type" one of the event types
    // (1–5, 9, 10) and "Delay" decimal digits or an integer, 0–65535. False
    // with the reason (naming the event) when it is not.
    static bool CheckMacroDocument(const Json::Value& document, size_t maxEvents, std::string& reason);

  private:
    bool WriteIndex(const std::vector<MacroEntry>& entries) const;
    std::string FreshId() const;
    bool ValidIndex(int index) const { return index >= 0 && static_cast<size_t>(index) < entries_.size(); }

    std::string folder_;
    std::vector<MacroEntry> entries_;
    size_t repaired_ = 0;
    bool repairWriteFailed_ = false;
};
