// Checks that the program's includes run down its layers: a file may include only
// files of its own library or of a library its library links, directly or through
// others, and no two units (a header with its source) include each other in a
// circle. Which library holds which file, and what each links, comes from the
// build (layers.txt, written by CMake).
//
//   kx_layers SOURCE_DIR BUILD_DIR/layers.txt
//
// Prints every include that breaks a rule and exits 1; exits 0 when there is none.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Build
{
    std::map<std::string, std::vector<std::string>> links;   // library -> libraries it links
    std::map<std::string, std::string> libraryOf;           // file -> its library
};

bool readBuild(const std::string &path, Build &build)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind, library;
        words >> kind >> library;
        if (kind == "library") {
            auto &to = build.links[library];
            for (std::string other; words >> other;)
                to.push_back(other);
        } else if (kind == "file") {
            std::string file;
            words >> file;
            build.libraryOf[file] = library;
        }
    }
    return !build.libraryOf.empty();
}

// Every library `library` reaches through its links, itself included.
std::set<std::string> reach(const Build &build, const std::string &library)
{
    std::set<std::string> seen{library};
    std::vector<std::string> todo{library};
    while (!todo.empty()) {
        const std::string next = todo.back();
        todo.pop_back();
        const auto it = build.links.find(next);
        if (it == build.links.end())
            continue;
        for (const std::string &to : it->second)
            if (seen.insert(to).second)
                todo.push_back(to);
    }
    return seen;
}

std::string unitOf(const std::string &file)
{
    return std::filesystem::path(file).replace_extension().string();
}

// The units that include each other in a circle, one circle per entry (Tarjan).
class Circles
{
public:
    explicit Circles(const std::map<std::string, std::set<std::string>> &edges) : m_edges(edges)
    {
        for (const auto &[unit, to] : edges)
            if (!m_index.count(unit))
                visit(unit);
    }
    const std::vector<std::vector<std::string>> &found() const { return m_found; }

private:
    void visit(const std::string &unit)
    {
        m_index[unit] = m_low[unit] = m_next++;
        m_stack.push_back(unit);
        m_onStack.insert(unit);
        if (const auto it = m_edges.find(unit); it != m_edges.end()) {
            for (const std::string &to : it->second) {
                if (!m_index.count(to)) {
                    visit(to);
                    m_low[unit] = std::min(m_low[unit], m_low[to]);
                } else if (m_onStack.count(to)) {
                    m_low[unit] = std::min(m_low[unit], m_index[to]);
                }
            }
        }
        if (m_low[unit] != m_index[unit])
            return;
        std::vector<std::string> circle;
        std::string member;
        do {
            member = m_stack.back();
            m_stack.pop_back();
            m_onStack.erase(member);
            circle.push_back(member);
        } while (member != unit);
        if (circle.size() > 1) {
            std::sort(circle.begin(), circle.end());
            m_found.push_back(circle);
        }
    }

    const std::map<std::string, std::set<std::string>> &m_edges;
    std::map<std::string, int> m_index, m_low;
    std::vector<std::string> m_stack;
    std::set<std::string> m_onStack;
    std::vector<std::vector<std::string>> m_found;
    int m_next = 0;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: kx_layers SOURCE_DIR layers.txt\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    Build build;
    if (!readBuild(argv[2], build)) {
        std::cerr << "kx_layers: no libraries in " << argv[2] << "\n";
        return 2;
    }

    const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::map<std::string, std::set<std::string>> edges;
    int faults = 0;
    for (const auto &[file, library] : build.libraryOf) {
        std::ifstream in(root / file);
        if (!in) {
            std::cerr << file << ": listed by the build but not readable\n";
            ++faults;
            continue;
        }
        const std::set<std::string> allowed = reach(build, library);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch m;
            if (!std::regex_search(line, m, include))
                continue;
            const std::string target = m[1];
            const std::string where = file + ":" + std::to_string(number) + ": ";
            const auto owner = build.libraryOf.find(target);
            if (owner == build.libraryOf.end()) {
                std::cerr << where << "includes " << target << ", which is in no library\n";
                ++faults;
            } else if (!allowed.count(owner->second)) {
                std::cerr << where << "includes " << target << " of " << owner->second << ", which "
                          << library << " does not link\n";
                ++faults;
            } else if (unitOf(target) != unitOf(file)) {
                edges[unitOf(file)].insert(unitOf(target));
            }
        }
    }
    const Circles circles(edges);
    for (const auto &circle : circles.found()) {
        std::cerr << "units that include each other in a circle:";
        for (const std::string &unit : circle)
            std::cerr << " " << unit;
        std::cerr << "\n";
        ++faults;
    }
    if (faults == 0)
        std::cout << build.libraryOf.size() << " files: every include runs down the layers, no circles\n";
    return faults == 0 ? 0 : 1;
}
