#include "cli/mouse_buttons.h"

#include <optional>
#include <string>
#include <vector>

#include <json/json.h>

#include "cli/mouse_commit.h"
#include "cli/result_text.h"
#include "devices/device_types.h"
#include "devices/key_assignment_editor.h"
#include "profiles/macro_library.h"

namespace {

// The macro library's names, in library order.
std::vector<std::string> MacroLibraryNames(CZentrelMouseDevice& mouse) {
    CMacroLibrary library(mouse.ProfileFolder());
    std::vector<std::string> names;
    for (const MacroEntry& entry : library.Load())
        names.push_back(entry.name);
    return names;
}

struct ButtonRow {
    size_t index = 0;
    std::optional<std::string> label;  // none: the page lists no text for it
    uint32_t code = 0;
    uint32_t defaultCode = 0;
    std::optional<int> slot;
};

ButtonRow DescribeButton(const CZentrelMouseDevice& mouse, size_t index,
                         const std::vector<std::string>& macroNames) {
    ButtonRow row;
    row.index = index;
    const KeyEntry& key = mouse.Keys().at(index);
    if (const std::optional<AssignmentText> text =
            AssignmentLabel(key.current, kTypeMouse, macroNames))
        row.label = text->Display();
    row.code = key.current.Packed();
    row.defaultCode = key.defaultAssignment.Packed();
    if (index < mouse.ButtonMap().size() && mouse.ButtonMap()[index] != kNoSlot)
        row.slot = mouse.ButtonMap()[index];
    return row;
}

std::string CodeText(uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", code);
    return text;
}

std::string LabelText(const ButtonRow& row) {
    return row.label.value_or("-");
}
std::string SlotText(const ButtonRow& row) {
    return row.slot ? std::to_string(*row.slot) : "none";
}

Json::Value ButtonJson(const ButtonRow& row, Json::Value v = Json::Value(Json::objectValue)) {
    v["button"] = static_cast<int>(row.index);
    v["label"] = row.label ? Json::Value(*row.label) : Json::Value();
    v["code"] = CodeText(row.code);
    v["default"] = CodeText(row.defaultCode);
    v["slot"] = row.slot ? Json::Value(*row.slot) : Json::Value();
    return v;
}

}  // namespace

int ShowMouseButtons(CZentrelMouseDevice& mouse, const MouseRequest& r, std::FILE* out) {
    const std::vector<std::string> macros = MacroLibraryNames(mouse);
    Json::Value list(Json::arrayValue);
    if (!r.json)
        std::fprintf(out, "button  %-30s  %-8s  %-8s  slot\n", "function", "code", "default");
    for (size_t i = 0; i < mouse.Keys().size(); ++i) {
        const ButtonRow row = DescribeButton(mouse, i, macros);
        if (r.json) {
            list.append(ButtonJson(row));
        } else {
            std::fprintf(out, "%6zu  %-30s  %-8s  %-8s  %s\n", i, LabelText(row).c_str(),
                         CodeText(row.code).c_str(), CodeText(row.defaultCode).c_str(),
                         SlotText(row).c_str());
        }
    }
    if (r.json) {
        Json::Value v(Json::objectValue);
        v["buttons"] = list;
        PrintJson(out, v);
    }
    return 0;
}

int AssignMouseButton(CZentrelMouseDevice& mouse, const MouseRequest& r, std::FILE* out,
                      std::FILE* err) {
    const auto button = static_cast<size_t>(r.button);
    if (button >= mouse.Keys().size()) {
        std::fprintf(err, "r730ctl: mouse assign: the profile has buttons 0 to %zu only\n",
                     mouse.Keys().size() - 1);
        return 2;
    }
    const std::vector<std::string> macros = MacroLibraryNames(mouse);
    const ButtonFunction& f = r.function;
    if (f.type == FunctionType::Macro && static_cast<size_t>(f.macro) >= macros.size()) {
        if (macros.empty())
            std::fprintf(err, "r730ctl: mouse assign: macro: the macro library is empty\n");
        else
            std::fprintf(err,
                         "r730ctl: mouse assign: macro: INDEX must be a macro of the library, 0 "
                         "to %zu, not '%d'\n",
                         macros.size() - 1, f.macro);
        return 2;
    }
    const ButtonRow before = DescribeButton(mouse, button, macros);
    const KeyEntry entry = BuildButtonEntry(f, mouse.Keys()[button], macros);
    MouseCommit commit;
    commit.saved = mouse.StoreKeyAssignment(button, entry.current);
    // The macros the keys use go to the mouse with the key table.
    const KeyDataResult data = mouse.SendKeyData();
    if (data.r > 0) {
        // The macros do not fit the mouse: the button gets its default back,
        // as the key editor does, and that is written instead.
        const KeyDataMessage m = MessageForKeyData(data.r, KeyDataPath::kEdit, 0);
        std::fprintf(err,
                     "r730ctl: mouse assign: the macros do not fit the mouse (result %d, %s "
                     "%d); button %zu keeps its default function\n",
                     data.r, m.id.c_str(), m.value, button);
        mouse.StoreKeyAssignment(button, mouse.Keys()[button].defaultAssignment);
        mouse.SendKeyAssignments();
        if (r.json) {
            Json::Value v = ButtonJson(DescribeButton(mouse, button, macros), CommitJson(commit));
            v["sent"] = false;
            v["macros"] = data.r;
            PrintJson(out, v);
        }
        return 1;
    }
    commit.sent = data.keyTable;
    const ButtonRow after = DescribeButton(mouse, button, macros);
    if (r.json) {
        Json::Value v = ButtonJson(after, CommitJson(commit));
        v["macros"] = data.macros;
        if (data.macros != 0) v["sent"] = false;
        PrintJson(out, v);
    } else {
        std::fprintf(out, "button %zu: %s (%s) -> %s (%s), slot %s\n", button,
                     LabelText(before).c_str(), CodeText(before.code).c_str(),
                     LabelText(after).c_str(), CodeText(after.code).c_str(),
                     SlotText(after).c_str());
    }
    if (data.macros < 0) {
        std::fprintf(err,
                     "r730ctl: mouse assign: the profile was saved, but writing the macros "
                     "to the mouse failed (message_text_7)\n");
        return 1;
    }
    const int status = CommitStatus(r, commit, err);
    if (status == 0 && !after.slot) {
        // The mouse's table had no slot holding this button's factory function.
        std::fprintf(err,
                     "r730ctl: mouse assign: the profile was saved, but the mouse has no slot "
                     "for button %zu (its factory function is not in the mouse's key table), so "
                     "the mouse keeps its old function\n",
                     button);
        return 1;
    }
    return status;
}
