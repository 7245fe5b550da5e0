// Reads the real-world messages of tests/data/real-mail with our header, address, transfer-encoding and
// charset routines and compares every reading with python's email package (real-mail-expected.txt).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "content/AddressList.h"
#include "content/CharsetDecoder.h"
#include "content/EncodedWord.h"
#include "content/TransferEncoding.h"
#include "store/EmailsImpl.h"

namespace
{

const UINT kUtf8 = 65001;

std::string Str(const CString& s)
{
    return std::string(static_cast<const char*>(s), s.GetLength());
}

CString Cs(const std::string& s)
{
    return CString(s.data(), static_cast<int>(s.size()));
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string Fnv(const std::string& data)
{
    unsigned long long h = 0xcbf29ce484222325ULL;
    for (unsigned char c : data)
        h = (h ^ c) * 0x100000001b3ULL;
    char text[17];
    snprintf(text, sizeof(text), "%016llx", h);
    return text;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] != '\\' || i + 1 == s.size())
        {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start))
    {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

CString HeaderField(const std::string& header, const char* name)
{
    return MessageText::GetHeaderField(Cs(header), name, 0);
}

// A parameter of a header field value (name=token or name="quoted"), matched by its whole name; an
// RFC 2231 charset parameter (charset*=us-ascii''us-ascii) gives its value after the two quotes.
std::string Parameter(const std::string& value, const std::string& name)
{
    const std::string lower = Lower(value);
    if (name == "charset" && lower.find("charset*=") != std::string::npos)
    {
        const std::string extended = Parameter(value, "charset*");
        const size_t quote = extended.find('\'', extended.find('\'') + 1);
        return quote == std::string::npos ? extended : extended.substr(quote + 1);
    }
    for (size_t at = lower.find(name + "="); at != std::string::npos; at = lower.find(name + "=", at + 1))
    {
        size_t before = at;
        while (before > 0 && (value[before - 1] == ' ' || value[before - 1] == '\t'))
            --before;
        if (before > 0 && value[before - 1] != ';')
            continue;
        size_t i = at + name.size() + 1;
        std::string result;
        if (i < value.size() && value[i] == '"')
        {
            for (++i; i < value.size() && value[i] != '"'; ++i)
            {
                if (value[i] == '\\' && i + 1 < value.size())
                    ++i;
                result += value[i];
            }
            return result;
        }
        while (i < value.size() && value[i] != ';' && value[i] != ' ' && value[i] != '\t')
            result += value[i++];
        return result;
    }
    return std::string();
}

struct Leaf
{
    std::string description; // type/subtype, encoding, size and hash of the decoded bytes
    std::string name;
    std::string text; // size and hash of the UTF-8 text, when the part is text with a charset
};

// The leaves of an entity (header, blank line, body) depth-first; multipart bodies are cut into their parts
// by DecodeBody itself, reading them with the identity encoding.
void Walk(const std::string& entity, std::vector<Leaf>& leaves, bool digest = false)
{
    size_t headerEnd = entity.compare(0, 2, "\r\n") == 0 ? 0 : entity.find("\r\n\r\n");
    std::string header, body;
    if (headerEnd == std::string::npos)
        header = entity;
    else
    {
        header = entity.substr(0, headerEnd);
        body = entity.substr(headerEnd + (headerEnd == 0 ? 2 : 4));
    }
    CString type = digest ? "message" : "text", subtype = digest ? "rfc822" : "plain";
    try
    {
        CString readType, readSubtype;
        if (!GetContentTypeValue(Cs("\r\n" + header), &readType, &readSubtype).IsEmpty())
        {
            type = readType;
            subtype = readSubtype;
        }
    }
    catch (const char*)
    {
        type = "text";
        subtype = "plain";
    }
    const std::string kind = Lower(Str(type)) + "/" + Lower(Str(subtype));
    const CString boundary = GetBoundary(Cs("\r\n" + header));
    CString value, error;
    // A multipart body without a delimiter line is read as one leaf, as python reads it.
    std::istringstream in(body);
    std::ostringstream preamble;
    int identity = TE_BINARY;
    bool hasParts = false;
    if (Lower(Str(type)) == "multipart" && !boundary.IsEmpty())
    {
        DecodeBody(in, preamble, boundary, identity, value, error);
        hasParts = in && !in.eof();
    }
    if (hasParts)
    {
        for (;;)
        {
            // The boundary line just read: the closing one ends the parts.
            const size_t pos = static_cast<size_t>(in.tellg());
            const size_t lineStart = body.rfind('\n', pos >= 2 ? pos - 2 : 0);
            const std::string line = body.substr(lineStart == std::string::npos ? 0 : lineStart + 1);
            if (line.compare(0, boundary.GetLength() + 4, "--" + Str(boundary) + "--") == 0)
                break;
            std::ostringstream part;
            DecodeBody(in, part, boundary, identity, value, error);
            // Two delimiter lines in a row hold no part (python makes none of them).
            if (!part.str().empty())
                Walk(part.str(), leaves, kind == "multipart/digest");
            if (!in || in.eof())
                break;
        }
        return;
    }
    if (kind == "message/rfc822")
    {
        Walk(body, leaves);
        return;
    }

    Leaf leaf;
    const CString encoding = HeaderField(header, "Content-Transfer-Encoding");
    int code = TE_7BIT;
    if (!encoding.IsEmpty())
        GetTransferEncoding("Content-Transfer-Encoding: " + encoding, code, value);
    std::istringstream whole(body);
    std::ostringstream decoded;
    DecodeBody(whole, decoded, "", code, value, error);
    const std::string bytes = decoded.str();
    const std::string cte = encoding.IsEmpty() ? "-" : Lower(Str(encoding));
    leaf.description = kind + " " + cte + " " + std::to_string(bytes.size()) + " " + Fnv(bytes);

    const std::string contentType = Str(HeaderField(header, "Content-Type"));
    std::string name = Parameter(Str(HeaderField(header, "Content-Disposition")), "filename");
    if (name.empty())
        name = Parameter(contentType, "name");
    if (!name.empty())
        leaf.name = Str(DecodeEncodedWord(Cs(name), NULL, NULL, "utf-8", TRUE));

    const std::string charset = Parameter(contentType, "charset");
    if (Lower(Str(type)) == "text" && !charset.empty())
    {
        const std::string text = Str(CCharsetDecoder(charset.c_str()).Decode(Cs(bytes), FALSE, kUtf8));
        leaf.text = std::to_string(text.size()) + " " + Fnv(text);
    }
    leaves.push_back(leaf);
}

// The entries of a recipient field as "address" and "address=name" lists, as the generator writes them.
void ReadAddresses(const CString& field, std::string& addresses, std::string& names)
{
    std::vector<CString> list;
    ParseAddressList(field, list, ',', NULL, FALSE, NULL);
    addresses.clear();
    names.clear();
    for (const CString& entry : list)
    {
        const std::string e = Str(entry);
        const size_t open = e.rfind(" <") == std::string::npos ? 0 : e.rfind(" <") + 1;
        const std::string address = e.substr(open + 1, e.size() - open - 2);
        std::string name = open == 0 ? std::string() : e.substr(0, open - 1);
        if (!name.empty() && name[0] == '"')
            name = Unescape(name.substr(1, name.size() - 2));
        else if (!name.empty())
            name = Str(DecodeEncodedWord(Cs(name), NULL, NULL, "utf-8", TRUE));
        addresses += (addresses.empty() ? "" : " ; ") + address;
        if (!name.empty())
            names += (names.empty() ? "" : " ; ") + address + "=" + name;
    }
}

// Keeps of our names only those of addresses python also names: a comment that gives us a name is a
// reading of ours that python's header registry does not make.
std::string NamesPythonAlsoGives(const std::string& ours, const std::string& python)
{
    std::set<std::string> named;
    std::istringstream in(python);
    for (std::string item; std::getline(in, item, ';');)
    {
        const size_t start = item.find_first_not_of(' ');
        if (start != std::string::npos)
            named.insert(item.substr(start, item.find('=') - start));
    }
    std::string kept;
    std::istringstream ourItems(ours);
    for (std::string item; std::getline(ourItems, item, ';');)
    {
        const size_t start = item.find_first_not_of(' ');
        if (start == std::string::npos)
            continue;
        std::string trimmed = item.substr(start);
        while (!trimmed.empty() && trimmed.back() == ' ')
            trimmed.pop_back();
        if (named.count(trimmed.substr(0, trimmed.find('='))))
            kept += (kept.empty() ? "" : " ; ") + trimmed;
    }
    return kept;
}

TEST(RealMailTest, HeadersAddressesAndPartsReadAsPythonReadsThem)
{
    const std::string folder = ORB_TEST_DATA_DIR "/real-mail/";
    std::set<std::string> excluded;
    std::ifstream exclusions(ORB_TEST_DATA_DIR "/real-mail-exclusions.txt", std::ios::binary);
    for (std::string line; std::getline(exclusions, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> f = SplitTabs(line);
        if (!line.empty() && line[0] != '#' && f.size() >= 3)
            excluded.insert(f[0] + "\t" + f[1] + "\t" + f[2]);
    }

    std::ifstream expected(ORB_TEST_DATA_DIR "/real-mail-expected.txt", std::ios::binary);
    ASSERT_TRUE(expected.is_open());
    std::map<std::string, std::vector<Leaf>> parsed;
    int compared = 0;
    for (std::string line; std::getline(expected, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = SplitTabs(line);
        ASSERT_EQ(f.size(), 4u) << line;
        const std::string& file = f[0];
        const std::string& kind = f[1];
        const std::string key = Unescape(f[2]);
        const std::string want = Unescape(f[3]);
        if (excluded.count(file + "\t" + kind + "\t" + f[2]) || excluded.count(file + "\t" + kind + "\t*"))
            continue;
        const std::string message = ReadBytes(folder + file);
        ASSERT_FALSE(message.empty()) << file;
        const std::string header = Str(MessageText::GetHeader(Cs(message)));
        ++compared;
        SCOPED_TRACE(file + " " + kind + " " + key);
        if (kind == "H")
            EXPECT_EQ(Str(HeaderField(header, key.c_str())), want);
        else if (kind == "S")
            EXPECT_EQ(Str(DecodeEncodedWord(HeaderField(header, "Subject"), NULL, NULL, "utf-8", TRUE)),
                      want);
        else if (kind == "A" || kind == "N")
        {
            std::string addresses, names;
            ReadAddresses(HeaderField(header, key.c_str()), addresses, names);
            if (kind == "A")
                EXPECT_EQ(addresses, want);
            else
                EXPECT_EQ(NamesPythonAlsoGives(names, want), want);
        }
        else
        {
            auto it = parsed.find(file);
            if (it == parsed.end())
            {
                std::vector<Leaf> leaves;
                Walk(message, leaves);
                it = parsed.emplace(file, leaves).first;
            }
            const size_t n = static_cast<size_t>(std::stoi(key));
            if (n >= it->second.size())
            {
                ADD_FAILURE() << "we read " << it->second.size() << " parts";
                continue;
            }
            const Leaf& leaf = it->second[n];
            EXPECT_EQ(kind == "P" ? leaf.description : kind == "F" ? leaf.name : leaf.text, want);
        }
    }
    EXPECT_GT(compared, 0) << "no expectation was read";
}

} // namespace
