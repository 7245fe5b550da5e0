// The document tree the HTML parser builds: elements with attributes, and text.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace html
{
struct CHtmlStyle;

enum class NodeType
{
    Document,
    Element,
    Text
};

struct CHtmlNode
{
    NodeType type = NodeType::Element;
    std::string name;  // lower-case tag name of an element
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;  // UTF-8 content of a text node
    CHtmlNode* parent = nullptr;
    CHtmlNode* firstChild = nullptr;
    CHtmlNode* lastChild = nullptr;
    CHtmlNode* prev = nullptr;
    CHtmlNode* next = nullptr;
    int depth = 0;
    void* cssData = nullptr;     // the CSS library's per-node selection data
    void* selectData = nullptr;  // our own, while styles are selected
    const CHtmlStyle* style = nullptr;

    bool IsElement(const char* tag) const { return type == NodeType::Element && name == tag; }
    const std::string* Attribute(const char* attr) const;
};

class CHtmlDocument
{
public:
    // Caps against hostile mail: past one, the rest of the input is attached as plain text.
    static constexpr size_t kMaxInput = 8 * 1024 * 1024;
    static constexpr int kMaxDepth = 256;
    static constexpr size_t kMaxElements = 200000;
    static constexpr size_t kMaxAttributeLength = 64 * 1024;
    // Content nested deeper than kMaxDepth is attached flat; this many such elements end the parse, since
    // the parser's own open-element stack is scanned once per start tag.
    static constexpr size_t kMaxFlattened = 4096;

    CHtmlDocument();
    ~CHtmlDocument();
    CHtmlDocument(const CHtmlDocument&) = delete;
    CHtmlDocument& operator=(const CHtmlDocument&) = delete;

    // Parses UTF-8 input (the caller converts from the message's charset); false only when the parser
    // could not be created at all.
    bool Parse(const std::string& utf8);

    CHtmlNode* Root() { return m_root; }
    const CHtmlNode* Root() const { return m_root; }
    const CHtmlNode* Body() const;
    size_t ElementCount() const { return m_elements; }
    bool Truncated() const { return m_truncated; }
    // Mail without a DOCTYPE (or an old one) is laid out with the quirks browsers keep for it.
    bool Quirks() const { return m_quirks; }

    // Every node in document order, without recursion.
    template <class F> void Walk(F f) const
    {
        const CHtmlNode* n = m_root;
        while (n)
        {
            f(n);
            if (n->firstChild)
                n = n->firstChild;
            else
            {
                while (n && !n->next)
                    n = n->parent;
                if (n)
                    n = n->next;
            }
        }
    }

    // Parser callbacks (the tree handler is a C table of functions over these).
    CHtmlNode* NewNode(NodeType type);
    void Append(CHtmlNode* parent, CHtmlNode* child);
    void InsertBefore(CHtmlNode* parent, CHtmlNode* child, CHtmlNode* ref);
    void Remove(CHtmlNode* child);
    void AddAttributes(CHtmlNode* node, const void* attrs, uint32_t count);
    CHtmlNode* Clone(const CHtmlNode* node, bool deep);
    void Reparent(CHtmlNode* from, CHtmlNode* to);

private:
    void SetDepth(CHtmlNode* node, int depth);
    void AppendRestAsText(const std::string& rest);
    void NestTablesInParagraphs();

    std::vector<std::unique_ptr<CHtmlNode>> m_nodes;
    CHtmlNode* m_root = nullptr;
    size_t m_elements = 0;
    size_t m_flattened = 0;
    bool m_truncated = false;

public:
    bool m_quirks = false;
    bool m_stop = false;  // a cap was reached: the parser is fed no more input
};
}
