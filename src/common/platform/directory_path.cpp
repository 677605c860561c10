// The path walk behind CreateDirectoryPath. The whole path is resolved before anything is created,
// so a path refused for climbing above its root leaves no folders behind.
#include "common/platform/directory_path.h"

namespace tesmora {

bool PlanDirectoryPath(std::u16string_view path, std::vector<std::u16string>& folders) {
    folders.clear();
    std::u16string normal(path);
    for (char16_t& c : normal) {
        if (c == u'/') {
            c = u'\\';
        }
    }

    size_t position = normal.find_first_not_of(u'\\');
    if (position == std::u16string::npos) {
        return true;  // empty, or only the root of the current drive: nothing to create
    }
    std::u16string root = normal.substr(0, position);

    std::vector<std::u16string> components;
    bool first = true;
    while (position < normal.size()) {
        size_t end = normal.find(u'\\', position);
        if (end == std::u16string::npos) {
            end = normal.size();
        }
        std::u16string component = normal.substr(position, end - position);
        position = end + 1;

        if (first && !component.empty() && component.back() == u':') {
            root += component + u"\\";  // a drive root exists already and cannot be created
        } else if (component == u"..") {
            if (components.empty()) {
                return false;
            }
            components.pop_back();
        } else if (!component.empty() && component != u".") {
            components.push_back(std::move(component));
        }
        first = false;
    }

    std::u16string built = root;
    for (const std::u16string& component : components) {
        if (built.size() > root.size()) {
            built += u'\\';
        }
        built += component;
        folders.push_back(built);
    }
    return true;
}

}  // namespace tesmora
