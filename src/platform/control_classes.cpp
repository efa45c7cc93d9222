#include "platform/control_classes.h"

#include <array>
#include <cctype>
#include <cstring>
#include <string_view>

namespace kestrel::platform {
namespace {

using K = ControlKind;

struct Named {
    const char* name;
    ControlKind kind;
};

// The system's own classes: what superclasses are built on, and what WinForms
// and ATL name inside their own class names.
constexpr Named kBaseClasses[] = {
    {"Edit", K::Edit},
    {"RichEdit", K::RichEdit},
    {"RichEdit20A", K::RichEdit},
    {"RichEdit20W", K::RichEdit},
    {"RICHEDIT50W", K::RichEdit},
    {"SysListView32", K::ListView},
    {"ListBox", K::ListBox},
    {"ComboLBox", K::ListBox},  // a combo box's list, should it have the focus itself
    {"ComboBox", K::ComboBox},
    {"SysTreeView32", K::TreeView},
    {"Static", K::StaticText},
    {"Button", K::Button},
};

// Classes of the programs' own runtimes, named after the control, not the
// system class: VB's ActiveX common controls and Delphi/C++Builder's VCL.
constexpr Named kRuntimeClasses[] = {
    {"ListView20WndClass", K::ListView},
    {"ListViewWndClass", K::ListView},
    {"TreeView20WndClass", K::TreeView},
    {"TreeViewWndClass", K::TreeView},
    {"RichTextWndClass", K::RichEdit},
    {"TEdit", K::Edit},
    {"TMemo", K::Edit},
    {"TMaskEdit", K::Edit},
    {"TLabeledEdit", K::Edit},
    {"TDBEdit", K::Edit},
    {"TDBMemo", K::Edit},
    {"TRichEdit", K::RichEdit},
    {"TDBRichEdit", K::RichEdit},
    {"TListBox", K::ListBox},
    {"TDBListBox", K::ListBox},
    {"TComboBox", K::ComboBox},
    {"TDBComboBox", K::ComboBox},
    {"TListView", K::ListView},
    {"TTreeView", K::TreeView},
    {"TStaticText", K::StaticText},
    {"TButton", K::Button},
    {"TBitBtn", K::Button},
    {"TCheckBox", K::Button},
    {"TRadioButton", K::Button},
    {"TDBCheckBox", K::Button},
};

// VB's intrinsic controls: the IDE's "Thunder" and the runtimes'
// "ThunderRT5"/"ThunderRT6" before the control's name.
constexpr const char* kVbPrefixes[] = {"ThunderRT6", "ThunderRT5", "Thunder"};
constexpr Named kVbControls[] = {
    {"TextBox", K::Edit},        {"ListBox", K::ListBox},         {"FileListBox", K::ListBox},
    {"ComboBox", K::ComboBox},   {"CommandButton", K::Button},    {"CheckBox", K::Button},
    {"OptionButton", K::Button},
};

// The kinds by the names the administrator writes.
constexpr Named kKindNames[] = {
    {"edit", K::Edit},           {"rich edit", K::RichEdit},   {"list view", K::ListView},
    {"list box", K::ListBox},    {"combo box", K::ComboBox},   {"tree view", K::TreeView},
    {"terminal", K::Terminal},   {"static text", K::StaticText}, {"button", K::Button},
};

// Class names are ASCII; the system compares them without case.
bool Same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Same(text.substr(0, prefix.size()), prefix);
}

template <std::size_t N>
ControlKind Find(const Named (&table)[N], std::string_view name) {
    for (const auto& entry : table)
        if (Same(entry.name, name)) return entry.kind;
    return K::Unknown;
}

// The system class inside a WinForms name, "WindowsForms<N>.<BASE>.app.<anything>",
// whatever the version and the hash.
std::string_view WinFormsBase(std::string_view name) {
    constexpr std::string_view kPrefix = "WindowsForms";
    if (!StartsWith(name, kPrefix)) return {};
    std::size_t at = kPrefix.size();
    const auto digits = at;
    while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at]))) ++at;
    if (at == digits || at == name.size() || name[at] != '.') return {};
    const auto rest = name.substr(at + 1);
    for (std::size_t dot = 0; (dot = rest.find('.', dot)) != std::string_view::npos; ++dot)
        if (StartsWith(rest.substr(dot), ".app.")) return rest.substr(0, dot);
    return {};
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

}  // namespace

const char* KindName(ControlKind kind) {
    for (const auto& entry : kKindNames)
        if (entry.kind == kind) return entry.name;
    return "unknown";
}

ControlClasses::ControlClasses(const std::string& entries) {
    std::string_view rest = entries;
    while (!rest.empty()) {
        const auto end = rest.find(';');
        const auto entry = Trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (entry.empty()) continue;
        const auto equals = entry.find('=');
        const auto name = Trimmed(entry.substr(0, equals == std::string_view::npos ? 0 : equals));
        const auto kind = equals == std::string_view::npos ? K::Unknown : Find(kKindNames, Trimmed(entry.substr(equals + 1)));
        if (name.empty() || kind == K::Unknown)
            badEntries_.emplace_back(entry);
        else
            additions_.emplace_back(std::string(name), kind);
    }
}

ControlKind ControlClasses::Named(const std::string& name) const {
    for (const auto& [added, kind] : additions_)
        if (Same(added, name)) return kind;
    std::string_view base = name;
    if (const auto winForms = WinFormsBase(base); !winForms.empty())
        base = winForms;
    else if (StartsWith(base, "ATL:"))
        base.remove_prefix(4);
    if (base.size() != name.size()) {
        for (const auto& [added, kind] : additions_)
            if (Same(added, base)) return kind;
        return Find(kBaseClasses, base);
    }
    if (const auto kind = Find(kBaseClasses, name); kind != K::Unknown) return kind;
    if (const auto kind = Find(kRuntimeClasses, name); kind != K::Unknown) return kind;
    for (const char* prefix : kVbPrefixes)
        if (StartsWith(name, prefix)) return Find(kVbControls, std::string_view(name).substr(std::strlen(prefix)));
    return K::Unknown;
}

ControlKind ControlClasses::KindOf(const std::string& className, const std::string& realClassName) const {
    const auto kind = Named(className);
    return kind != K::Unknown || realClassName.empty() ? kind : Named(realClassName);
}

}  // namespace kestrel::platform
