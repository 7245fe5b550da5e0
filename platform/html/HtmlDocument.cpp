// The document tree the HTML parser builds: elements with attributes, and text.
#include "platform/html/HtmlDocument.h"

#include <cstring>
#include <mutex>

extern "C" {
#include <hubbub/hubbub.h>
#include <hubbub/parser.h>
#include <hubbub/tree.h>
}

#include "platform/html/HtmlLock.h"
#include "platform/html/HtmlText.h"

namespace html
{
const std::string* CHtmlNode::Attribute(const char* attr) const
{
    for (const auto& a : attributes)
        if (a.first == attr)
            return &a.second;
    return nullptr;
}

CHtmlDocument::CHtmlDocument()
{
    m_root = NewNode(NodeType::Document);
}

CHtmlDocument::~CHtmlDocument() = default;

CHtmlNode* CHtmlDocument::NewNode(NodeType type)
{
    m_nodes.push_back(std::make_unique<CHtmlNode>());
    CHtmlNode* n = m_nodes.back().get();
    n->type = type;
    if (type == NodeType::Element && ++m_elements >= kMaxElements)
        m_stop = true;
    return n;
}

void CHtmlDocument::SetDepth(CHtmlNode* node, int depth)
{
    node->depth = depth;
    CHtmlNode* n = node->firstChild;
    while (n && n != node)
    {
        n->depth = n->parent->depth + 1;
        if (n->firstChild)
            n = n->firstChild;
        else
        {
            while (n != node && !n->next)
                n = n->parent;
            if (n != node)
                n = n->next;
        }
    }
}

void CHtmlDocument::Remove(CHtmlNode* child)
{
    CHtmlNode* p = child->parent;
    if (!p)
        return;
    (child->prev ? child->prev->next : p->firstChild) = child->next;
    (child->next ? child->next->prev : p->lastChild) = child->prev;
    child->parent = child->prev = child->next = nullptr;
}

void CHtmlDocument::InsertBefore(CHtmlNode* parent, CHtmlNode* child, CHtmlNode* ref)
{
    if (ref && ref->parent != parent)
        ref = nullptr;
    // Content deeper than the cap goes flat under the deepest allowed ancestor.
    while (parent->depth >= kMaxDepth && parent->parent)
    {
        parent = parent->parent;
        ref = nullptr;
        if (child->type == NodeType::Element && ++m_flattened >= kMaxFlattened)
            m_stop = true;
    }
    Remove(child);
    child->parent = parent;
    child->next = ref;
    child->prev = ref ? ref->prev : parent->lastChild;
    (child->prev ? child->prev->next : parent->firstChild) = child;
    (ref ? ref->prev : parent->lastChild) = child;
    SetDepth(child, parent->depth + 1);
}

void CHtmlDocument::Append(CHtmlNode* parent, CHtmlNode* child)
{
    InsertBefore(parent, child, nullptr);
}

void CHtmlDocument::AddAttributes(CHtmlNode* node, const void* attrs, uint32_t count)
{
    const auto* a = static_cast<const hubbub_attribute*>(attrs);
    for (uint32_t i = 0; i < count; i++)
    {
        std::string name(reinterpret_cast<const char*>(a[i].name.ptr), a[i].name.len);
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        if (node->Attribute(name.c_str()) || a[i].value.len > kMaxAttributeLength)
            continue;
        node->attributes.emplace_back(std::move(name),
                                      std::string(reinterpret_cast<const char*>(a[i].value.ptr), a[i].value.len));
    }
}

CHtmlNode* CHtmlDocument::Clone(const CHtmlNode* node, bool deep)
{
    CHtmlNode* copy = NewNode(node->type);
    copy->name = node->name;
    copy->attributes = node->attributes;
    copy->text = node->text;
    if (!deep)
        return copy;
    // Iterative deep copy: a stack of (source, copy) pairs.
    std::vector<std::pair<const CHtmlNode*, CHtmlNode*>> todo{{node, copy}};
    while (!todo.empty())
    {
        auto [src, dst] = todo.back();
        todo.pop_back();
        for (const CHtmlNode* c = src->firstChild; c; c = c->next)
        {
            CHtmlNode* cc = NewNode(c->type);
            cc->name = c->name;
            cc->attributes = c->attributes;
            cc->text = c->text;
            Append(dst, cc);
            todo.emplace_back(c, cc);
        }
    }
    return copy;
}

void CHtmlDocument::Reparent(CHtmlNode* from, CHtmlNode* to)
{
    while (from->firstChild)
        Append(to, from->firstChild);
}

const CHtmlNode* CHtmlDocument::Body() const
{
    for (const CHtmlNode* h = m_root->firstChild; h; h = h->next)
        if (h->IsElement("html"))
            for (const CHtmlNode* b = h->firstChild; b; b = b->next)
                if (b->IsElement("body"))
                    return b;
    return nullptr;
}

void CHtmlDocument::AppendRestAsText(const std::string& rest)
{
    // Markup past a cap is dropped, its text kept.
    std::string text;
    bool inTag = false;
    for (char c : rest)
    {
        if (c == '<')
            inTag = true;
        else if (c == '>' && inTag)
            inTag = false;
        else if (!inTag)
            text += c;
    }
    if (text.empty())
        return;
    CHtmlNode* parent = const_cast<CHtmlNode*>(Body());
    if (!parent)
        parent = m_root;
    CHtmlNode* t = NewNode(NodeType::Text);
    t->text = ValidUtf8(text);
    Append(parent, t);
}

namespace
{
CHtmlDocument* Doc(void* ctx) { return static_cast<CHtmlDocument*>(ctx); }
CHtmlNode* Node(void* n) { return static_cast<CHtmlNode*>(n); }

hubbub_error CreateComment(void* ctx, const hubbub_string*, void** result)
{
    // Comments are not kept: a text node that is never attached stands in for them.
    *result = Doc(ctx)->NewNode(NodeType::Text);
    return HUBBUB_OK;
}

hubbub_error CreateDoctype(void* ctx, const hubbub_doctype*, void** result)
{
    *result = Doc(ctx)->NewNode(NodeType::Text);
    return HUBBUB_OK;
}

hubbub_error CreateElement(void* ctx, const hubbub_tag* tag, void** result)
{
    CHtmlNode* n = Doc(ctx)->NewNode(NodeType::Element);
    n->name.assign(reinterpret_cast<const char*>(tag->name.ptr), tag->name.len);
    for (char& c : n->name)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    Doc(ctx)->AddAttributes(n, tag->attributes, tag->n_attributes);
    *result = n;
    return HUBBUB_OK;
}

hubbub_error CreateText(void* ctx, const hubbub_string* data, void** result)
{
    CHtmlNode* n = Doc(ctx)->NewNode(NodeType::Text);
    n->text.assign(reinterpret_cast<const char*>(data->ptr), data->len);
    *result = n;
    return HUBBUB_OK;
}

hubbub_error RefNode(void*, void*) { return HUBBUB_OK; }

// Nodes live as long as the document; the parser's references do not own them.
hubbub_error UnrefNode(void*, void*) { return HUBBUB_OK; }

hubbub_error InsertBeforeNode(void* ctx, void* parent, void* child, void* ref, void** result)
{
    CHtmlNode* p = Node(parent);
    CHtmlNode* c = Node(child);
    CHtmlNode* r = Node(ref);
    // Doctypes and comments stand-ins are empty text nodes and are not attached.
    if (c->type == NodeType::Text && c->text.empty())
    {
        *result = c;
        return HUBBUB_OK;
    }
    // Adjacent text merges, as the parser expects.
    CHtmlNode* before = r ? r->prev : p->lastChild;
    if (c->type == NodeType::Text && before && before->type == NodeType::Text && before->parent == p)
    {
        before->text += c->text;
        *result = before;
        return HUBBUB_OK;
    }
    Doc(ctx)->InsertBefore(p, c, r);
    *result = c;
    return HUBBUB_OK;
}

hubbub_error AppendChild(void* ctx, void* parent, void* child, void** result)
{
    return InsertBeforeNode(ctx, parent, child, nullptr, result);
}

hubbub_error RemoveChild(void* ctx, void*, void* child, void** result)
{
    Doc(ctx)->Remove(Node(child));
    *result = child;
    return HUBBUB_OK;
}

hubbub_error CloneNode(void* ctx, void* node, bool deep, void** result)
{
    *result = Doc(ctx)->Clone(Node(node), deep);
    return HUBBUB_OK;
}

hubbub_error ReparentChildren(void* ctx, void* node, void* newParent)
{
    Doc(ctx)->Reparent(Node(node), Node(newParent));
    return HUBBUB_OK;
}

hubbub_error GetParent(void*, void* node, bool elementOnly, void** result)
{
    CHtmlNode* p = Node(node)->parent;
    if (elementOnly && p && p->type != NodeType::Element)
        p = nullptr;
    *result = p;
    return HUBBUB_OK;
}

hubbub_error HasChildren(void*, void* node, bool* result)
{
    *result = Node(node)->firstChild != nullptr;
    return HUBBUB_OK;
}

hubbub_error FormAssociate(void*, void*, void*) { return HUBBUB_OK; }

hubbub_error AddAttributesToNode(void* ctx, void* node, const hubbub_attribute* attrs, uint32_t count)
{
    Doc(ctx)->AddAttributes(Node(node), attrs, count);
    return HUBBUB_OK;
}

hubbub_error SetQuirksMode(void* ctx, hubbub_quirks_mode mode)
{
    Doc(ctx)->m_quirks = mode == HUBBUB_QUIRKS_MODE_FULL;
    return HUBBUB_OK;
}
hubbub_error EncodingChange(void*, const char*) { return HUBBUB_OK; }
hubbub_error CompleteScript(void*, void*) { return HUBBUB_OK; }
}

bool CHtmlDocument::Parse(const std::string& input)
{
    std::string utf8 = ValidUtf8(input.size() > kMaxInput ? input.substr(0, kMaxInput) : input);
    hubbub_tree_handler handler = {CreateComment, CreateDoctype, CreateElement, CreateText, RefNode,
                                   UnrefNode, AppendChild, InsertBeforeNode, RemoveChild, CloneNode,
                                   ReparentChildren, GetParent, HasChildren, FormAssociate,
                                   AddAttributesToNode, SetQuirksMode, EncodingChange, CompleteScript, this};
    std::lock_guard<std::mutex> lock(LibraryLock());
    hubbub_parser* parser = nullptr;
    if (hubbub_parser_create("UTF-8", false, &parser) != HUBBUB_OK)
        return false;
    hubbub_parser_optparams params;
    params.tree_handler = &handler;
    hubbub_parser_setopt(parser, HUBBUB_PARSER_TREE_HANDLER, &params);
    params.document_node = m_root;
    hubbub_parser_setopt(parser, HUBBUB_PARSER_DOCUMENT_NODE, &params);
    // Fed in chunks so that a cap stops the parse close to where it was reached.
    const size_t chunk = 8192;
    size_t pos = 0;
    while (pos < utf8.size() && !m_stop)
    {
        size_t len = std::min(chunk, utf8.size() - pos);
        hubbub_parser_parse_chunk(parser, reinterpret_cast<const uint8_t*>(utf8.data() + pos), len);
        pos += len;
    }
    hubbub_parser_completed(parser);
    hubbub_parser_destroy(parser);
    if (pos < utf8.size() || input.size() > kMaxInput)
        m_truncated = true;
    if (pos < utf8.size())
        AppendRestAsText(utf8.substr(pos));
    if (m_quirks)
        NestTablesInParagraphs();
    return true;
}

void CHtmlDocument::NestTablesInParagraphs()
{
    // Without a DOCTYPE a table does not close an open P, so "<p align=center><table>" centres the table and
    // what follows it up to the next block; the parser closes the P as in standards mode, leaving it empty
    // before the table. An empty P written as such before a table is taken the same way.
    static const char* const closers[] = {"address", "article", "aside", "blockquote", "center", "details", "dialog",
                                          "dir", "div", "dl", "fieldset", "figcaption", "figure", "footer", "form",
                                          "header", "hgroup", "main", "menu", "nav", "ol", "p", "section", "summary",
                                          "ul", "h1", "h2", "h3", "h4", "h5", "h6", "pre", "listing", "li", "dd",
                                          "dt", "plaintext", "xmp", "hr"};
    auto closes = [&](const CHtmlNode* n) {
        if (n->type != NodeType::Element)
            return false;
        for (const char* c : closers)
            if (n->name == c)
                return true;
        return false;
    };
    std::vector<CHtmlNode*> paragraphs;
    Walk([&](const CHtmlNode* n) {
        if (!n->IsElement("p") || n->firstChild || n->depth >= kMaxDepth - 1)
            return;
        const CHtmlNode* next = n->next;
        while (next && next->type == NodeType::Text && next->text.find_first_not_of(" \t\r\n\f") == std::string::npos)
            next = next->next;
        if (next && next->IsElement("table"))
            paragraphs.push_back(const_cast<CHtmlNode*>(n));
    });
    for (CHtmlNode* p : paragraphs)
        for (CHtmlNode* n = p->next; n && !closes(n);)
        {
            CHtmlNode* following = n->next;
            Append(p, n);
            n = following;
        }
}
}
