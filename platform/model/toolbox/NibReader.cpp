// The nib text format: JSON, checked strictly so that a mistake in a nib is reported where it is.
#include "platform/model/toolbox/NibReader.h"

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>

namespace plat::nib {
namespace {

using nlohmann::json;

// How deep group boxes and submenus may nest, and how many objects one nib may describe.
constexpr int kMaxDepth = 8;
constexpr int kMaxObjects = 4096;

struct NibError {
  std::string where;
  std::string problem;
};

// Where a value lies in the nib ("windows.Preferences.controls[2].kind"), spelt out only when
// something there is wrong: a nib is read at every start, and almost never has a fault.
class Where {
 public:
  Where() = default;  // the nib itself
  Where(const Where& parent, std::string_view key) : parent_(&parent), key_(key) {}
  Where(const Where& parent, std::size_t index) : parent_(&parent), index_(index), isIndex_(true) {}

  std::string Text() const {
    if (parent_ == nullptr)
      return {};
    std::string text = parent_->Text();
    if (isIndex_)
      return text + "[" + std::to_string(index_) + "]";
    return text.empty() ? std::string(key_) : text + "." + std::string(key_);
  }

 private:
  const Where* parent_ = nullptr;
  std::string_view key_;
  std::size_t index_ = 0;
  bool isIndex_ = false;
};

class Reader {
 public:
  NibDocument Read(const json& root) {
    const Where top;
    Expect(root.is_object(), top, "the nib is not a JSON object");
    OnlyKeys(root, top, {"windows", "menus", "menubars"});
    NibDocument document;
    ForEachNamed(root, top, "windows",
                 [&](const std::string& name, const json& value, const Where& at) {
                   document.windows[name] = ReadWindow(value, at);
                 });
    ForEachNamed(root, top, "menus",
                 [&](const std::string& name, const json& value, const Where& at) {
                   document.menus[name] = ReadMenu(value, at, 0);
                 });
    ForEachNamed(root, top, "menubars",
                 [&](const std::string& name, const json& value, const Where& at) {
                   Expect(value.is_array(), at, "is not a list of menus");
                   std::vector<MenuDesc> menus;
                   for (std::size_t i = 0; i < value.size(); ++i) {
                     menus.push_back(ReadMenu(value[i], Where(at, i), 1));
                   }
                   document.menuBars[name] = std::move(menus);
                 });
    return document;
  }

 private:
  [[noreturn]] static void Fail(const Where& where, std::string problem) {
    throw NibError{where.Text(), std::move(problem)};
  }

  static void Expect(bool condition, const Where& where, const char* problem) {
    if (!condition)
      Fail(where, problem);
  }

  void Count(const Where& where) {
    Expect(++objects_ <= kMaxObjects, where, "the nib describes too many objects");
  }

  // The member `key` of `object`, or nothing when it has none.
  static const json* Find(const json& object, const char* key) {
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
  }

  static void OnlyKeys(const json& object, const Where& where,
                       std::initializer_list<const char*> keys) {
    for (const auto& item : object.items()) {
      const std::string& key = item.key();
      const bool known = std::any_of(keys.begin(), keys.end(),
                                     [&key](const char* allowed) { return key == allowed; });
      Expect(known, Where(where, key), "unknown key");
    }
  }

  // A top-level section: an object of named objects, each handed to `read` where it lies.
  template <typename Read>
  static void ForEachNamed(const json& root, const Where& top, const char* key, Read read) {
    const json* section = Find(root, key);
    if (section == nullptr)
      return;
    const Where at(top, key);
    Expect(section->is_object(), at, "is not an object of named objects");
    for (const auto& [name, value] : section->items()) {
      Expect(!name.empty() && name.find('\0') == std::string::npos, at, "has an invalid name");
      read(name, value, Where(at, name));
    }
  }

  static std::string Text(const json& object, const char* key, const Where& where,
                          const char* fallback = "") {
    const json* value = Find(object, key);
    if (value == nullptr)
      return fallback;
    const Where at(where, key);
    Expect(value->is_string(), at, "is not a text");
    const std::string& text = value->get_ref<const std::string&>();
    Expect(text.find('\0') == std::string::npos, at, "contains a NUL character");
    return text;
  }

  static bool Flag(const json& object, const char* key, const Where& where, bool fallback) {
    const json* value = Find(object, key);
    if (value == nullptr)
      return fallback;
    Expect(value->is_boolean(), Where(where, key), "is not true or false");
    return value->get<bool>();
  }

  static long Integer(const json& value, const Where& where, long lowest, long highest) {
    Expect(value.is_number_integer(), where, "is not a whole number");
    const bool fits = value.is_number_unsigned()
                          ? value.get<unsigned long>() <= static_cast<unsigned long>(highest)
                          : value.get<long>() >= lowest && value.get<long>() <= highest;
    if (!fits)
      Fail(where, "is outside " + std::to_string(lowest) + ".." + std::to_string(highest));
    return value.get<long>();
  }

  static long Integer(const json& object, const char* key, const Where& where, long fallback,
                      long lowest, long highest) {
    const json* value = Find(object, key);
    if (value == nullptr)
      return fallback;
    return Integer(*value, Where(where, key), lowest, highest);
  }

  // A four-character code: exactly four printable ASCII characters ("ok  " has two blanks).
  static OSType Code(const json& object, const char* key, const Where& where) {
    if (Find(object, key) == nullptr)
      return 0;
    const std::string text = Text(object, key, where);
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
      return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F;
    });
    Expect(text.size() == 4 && printable, Where(where, key),
           "is not a code of four printable characters");
    return FourCCFromText(text.c_str());
  }

  // [x, y, width, height] from `origin`; every edge must stay a 16-bit coordinate.
  static Rect Frame(const json& object, const Where& where, SInt16 originLeft, SInt16 originTop) {
    const Where at(where, "frame");
    const json* frame = Find(object, "frame");
    Expect(frame != nullptr, at, "is missing");
    Expect(frame->is_array() && frame->size() == 4, at, "is not [x, y, width, height]");
    constexpr long kLow = std::numeric_limits<SInt16>::min();
    constexpr long kHigh = std::numeric_limits<SInt16>::max();
    const auto edge = [&](std::size_t i, long lowest) {
      return Integer((*frame)[i], Where(at, i), lowest, kHigh);
    };
    const long left = originLeft + edge(0, kLow);
    const long top = originTop + edge(1, kLow);
    const long right = left + edge(2, 0);
    const long bottom = top + edge(3, 0);
    Expect(left >= kLow && top >= kLow && right <= kHigh && bottom <= kHigh, at,
           "reaches outside the 16-bit coordinate range");
    return Rect{static_cast<SInt16>(top), static_cast<SInt16>(left), static_cast<SInt16>(bottom),
                static_cast<SInt16>(right)};
  }

  WindowDesc ReadWindow(const json& value, const Where& where) {
    Expect(value.is_object(), where, "is not an object");
    Count(where);
    OnlyKeys(value, where, {"title", "class", "attributes", "frame", "visible", "controls"});
    WindowDesc window;
    window.title = Text(value, "title", where);
    const std::string windowClass = Text(value, "class", where, "document");
    static const std::map<std::string, WindowClass, std::less<>> kClasses = {
        {"document", kDocumentWindowClass}, {"floating", kFloatingWindowClass},
        {"utility", kUtilityWindowClass},   {"movable-modal", kMovableModalWindowClass},
        {"modal", kModalWindowClass},       {"alert", kAlertWindowClass},
        {"plain", kPlainWindowClass}};
    auto found = kClasses.find(windowClass);
    if (found == kClasses.end())
      Fail(Where(where, "class"), "unknown window class \"" + windowClass + "\"");
    window.windowClass = found->second;
    window.attributes = Attributes(value, where);
    window.content = Frame(value, where, 0, 0);
    window.visible = Flag(value, "visible", where, false);
    window.controls = ReadControls(value, where, 0, 0, 0);
    int defaults = 0;
    int cancels = 0;
    CountButtons(window.controls, defaults, cancels);
    Expect(defaults <= 1 && cancels <= 1, where, "has more than one default or cancel button");
    return window;
  }

  static WindowAttributes Attributes(const json& value, const Where& where) {
    const json* list = Find(value, "attributes");
    if (list == nullptr)
      return 0;
    const Where at(where, "attributes");
    Expect(list->is_array(), at, "is not a list");
    static const std::map<std::string, WindowAttributes, std::less<>> kAttributes = {
        {"close-box", kWindowCloseBoxAttribute},
        {"collapse-box", kWindowCollapseBoxAttribute},
        {"resizable", kWindowResizableAttribute},
        {"standard-handler", kWindowStandardHandlerAttribute}};
    WindowAttributes attributes = 0;
    for (std::size_t i = 0; i < list->size(); ++i) {
      const json& name = (*list)[i];
      Expect(name.is_string(), Where(at, i), "is not a text");
      auto found = kAttributes.find(name.get_ref<const std::string&>());
      if (found == kAttributes.end())
        Fail(Where(at, i),
             "unknown window attribute \"" + name.get_ref<const std::string&>() + "\"");
      attributes |= found->second;
    }
    return attributes;
  }

  static void CountButtons(const std::vector<ControlDesc>& controls, int& defaults, int& cancels) {
    for (const ControlDesc& control : controls) {
      defaults += control.isDefault ? 1 : 0;
      cancels += control.isCancel ? 1 : 0;
      CountButtons(control.children, defaults, cancels);
    }
  }

  // The controls inside the window (at depth 0) or inside a group box, whose frames are given
  // from the top left corner of what they are in.
  std::vector<ControlDesc> ReadControls(const json& value, const Where& where, SInt16 originLeft,
                                        SInt16 originTop, int depth) {
    std::vector<ControlDesc> controls;
    const char* key = depth == 0 ? "controls" : "children";
    const json* list = Find(value, key);
    if (list == nullptr)
      return controls;
    const Where at(where, key);
    Expect(depth < kMaxDepth, at, "controls are nested too deeply");
    Expect(list->is_array(), at, "is not a list");
    controls.reserve(list->size());
    for (std::size_t i = 0; i < list->size(); ++i) {
      controls.push_back(ReadControl((*list)[i], Where(at, i), originLeft, originTop, depth));
    }
    return controls;
  }

  ControlDesc ReadControl(const json& value, const Where& where, SInt16 originLeft,
                          SInt16 originTop, int depth) {
    Expect(value.is_object(), where, "is not an object");
    Count(where);
    OnlyKeys(value, where,
             {"kind", "signature", "id", "frame", "title", "text", "value", "minimum", "maximum",
              "visible", "enabled", "active", "command", "default", "cancel", "items", "children"});
    Expect(Find(value, "kind") != nullptr, Where(where, "kind"), "is missing");
    const std::string kind = Text(value, "kind", where);
    static const std::map<std::string, OSType, std::less<>> kKinds = {
        {"group", kControlKindGroupBox},    {"checkbox", kControlKindCheckBox},
        {"button", kControlKindPushButton}, {"popup", kControlKindPopupButton},
        {"edittext", kControlKindEditText}, {"text", kControlKindStaticText}};
    auto found = kKinds.find(kind);
    if (found == kKinds.end())
      Fail(Where(where, "kind"), "unknown control kind \"" + kind + "\"");
    ControlDesc control;
    control.kind = found->second;
    const auto allowed = [&](const char* key, bool ok) {
      if (!ok && Find(value, key) != nullptr)
        Fail(Where(where, key), "does not belong to a control of kind \"" + kind + "\"");
    };
    const bool isText =
        control.kind == kControlKindEditText || control.kind == kControlKindStaticText;
    allowed("text", isText);
    allowed("items", control.kind == kControlKindPopupButton);
    allowed("children", control.kind == kControlKindGroupBox);
    allowed("default", control.kind == kControlKindPushButton);
    allowed("cancel", control.kind == kControlKindPushButton);

    control.id.signature = Code(value, "signature", where);
    control.id.id =
        static_cast<SInt32>(Integer(value, "id", where, 0, std::numeric_limits<SInt32>::min(),
                                    std::numeric_limits<SInt32>::max()));
    control.bounds = Frame(value, where, originLeft, originTop);
    control.title = Text(value, "title", where);
    control.text = Text(value, "text", where);
    control.visible = Flag(value, "visible", where, true);
    control.enabled = Flag(value, "enabled", where, true);
    control.active = Flag(value, "active", where, true);
    control.command = Code(value, "command", where);
    control.isDefault = Flag(value, "default", where, false);
    control.isCancel = Flag(value, "cancel", where, false);
    if (const json* items = Find(value, "items")) {
      const Where at(where, "items");
      Expect(items->is_array(), at, "is not a list");
      for (std::size_t i = 0; i < items->size(); ++i) {
        Count(at);
        const json& item = (*items)[i];
        Expect(item.is_string(), Where(at, i), "is not a text");
        control.items.push_back(item.get<std::string>());
        Expect(control.items.back().find('\0') == std::string::npos, Where(at, i),
               "contains a NUL character");
      }
    }
    Range(control, value, where);
    control.children =
        ReadControls(value, where, control.bounds.left, control.bounds.top, depth + 1);
    return control;
  }

  // Checkboxes and push buttons go from 0 to 1; a popup from 0 (no item chosen) to its number
  // of items, on its first item unless told otherwise.
  static void Range(ControlDesc& control, const json& value, const Where& where) {
    SInt32 maximum = 0;
    SInt32 initial = 0;
    if (control.kind == kControlKindCheckBox || control.kind == kControlKindPushButton) {
      maximum = 1;
    } else if (control.kind == kControlKindPopupButton) {
      maximum = static_cast<SInt32>(control.items.size());
      initial = maximum > 0 ? 1 : 0;
    }
    constexpr long kLow = std::numeric_limits<SInt32>::min();
    constexpr long kHigh = std::numeric_limits<SInt32>::max();
    control.minimum = static_cast<SInt32>(Integer(value, "minimum", where, 0, kLow, kHigh));
    control.maximum = static_cast<SInt32>(Integer(value, "maximum", where, maximum, kLow, kHigh));
    control.value = static_cast<SInt32>(Integer(value, "value", where, initial, kLow, kHigh));
    Expect(control.minimum <= control.maximum, where, "minimum is above maximum");
    Expect(control.value >= control.minimum && control.value <= control.maximum,
           Where(where, "value"), "is outside minimum..maximum");
  }

  MenuDesc ReadMenu(const json& value, const Where& where, int depth) {
    Expect(depth <= kMaxDepth, where, "menus are nested too deeply");
    Expect(value.is_object(), where, "is not an object");
    Count(where);
    OnlyKeys(value, where, {"title", "id", "items"});
    MenuDesc menu;
    menu.title = Text(value, "title", where);
    menu.id = static_cast<MenuID>(Integer(value, "id", where, 0, std::numeric_limits<MenuID>::min(),
                                          std::numeric_limits<MenuID>::max()));
    if (const json* items = Find(value, "items")) {
      const Where at(where, "items");
      Expect(items->is_array(), at, "is not a list");
      for (std::size_t i = 0; i < items->size(); ++i) {
        menu.items.push_back(ReadItem((*items)[i], Where(at, i), depth));
      }
    }
    return menu;
  }

  MenuItemDesc ReadItem(const json& value, const Where& where, int depth) {
    Expect(value.is_object(), where, "is not an object");
    Count(where);
    OnlyKeys(value, where,
             {"text", "command", "disabled", "hidden", "separator", "checked", "submenu"});
    MenuItemDesc item;
    item.text = Text(value, "text", where);
    item.command = Code(value, "command", where);
    if (Flag(value, "disabled", where, false))
      item.attributes |= kMenuItemAttrDisabled;
    if (Flag(value, "hidden", where, false))
      item.attributes |= kMenuItemAttrHidden;
    if (Flag(value, "separator", where, false))
      item.attributes |= kMenuItemAttrSeparator;
    if (Flag(value, "checked", where, false))
      item.mark = checkMark;
    if (const json* submenu = Find(value, "submenu")) {
      item.submenu.push_back(ReadMenu(*submenu, Where(where, "submenu"), depth + 1));
    }
    return item;
  }

  int objects_ = 0;
};

}  // namespace

std::optional<NibDocument> ReadNib(std::string_view text, std::string& error) {
  try {
    const json root = json::parse(text.begin(), text.end());
    return Reader().Read(root);
  } catch (const json::exception& problem) {
    error = std::string("not valid JSON: ") + problem.what();
  } catch (const NibError& problem) {
    error = problem.where.empty() ? problem.problem : problem.where + ": " + problem.problem;
  }
  return std::nullopt;
}

}  // namespace plat::nib
