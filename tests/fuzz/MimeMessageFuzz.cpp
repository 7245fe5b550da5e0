// Fuzzes the received-message parser: a part tree and its attachment scan over any text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "content/MimePart.h"
#include "content/ReceivedMessage.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
// A stored attachment name becomes a file in the message's folder: it must stay there.
bool IsSafeFileName(const CString& name)
{
    if (name.IsEmpty() || name == "." || name == "..")
        return false;
    for (int i = 0; i < name.GetLength(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == '\\' || c == '/' || c == ':')
            return false;
    }
    return true;
}

// A field value without its white space: the tree joins folded lines with one blank, the text reader keeps
// the fold's blanks; nothing else may differ.
CString Letters(const CString& value)
{
    CString letters;
    for (int i = 0; i < value.GetLength(); ++i)
    {
        if (!strchr(" \t\r\n\v\f", value[i]) || value[i] == '\0')
            letters += value[i];
    }
    return letters;
}

// A tree read for its leaves has the whole tree's shape and leaves; its inner parts keep no body.
bool SameLeaves(const CMimePart& whole, const CMimePart& lean)
{
    if (whole.m_strHeader != lean.m_strHeader ||
        (whole.m_pFirstChild == nullptr) != (lean.m_pFirstChild == nullptr))
        return false;
    if (whole.m_pFirstChild == nullptr)
        return whole.m_strBody.GetLength() == lean.m_strBody.GetLength() &&
               memcmp(whole.m_strBody, lean.m_strBody, whole.m_strBody.GetLength()) == 0;
    const CMimePart* pLean = lean.m_pFirstChild;
    for (const CMimePart* pWhole = whole.m_pFirstChild; pWhole != nullptr; pWhole = pWhole->m_pNextSibling)
    {
        if (pLean == nullptr || !SameLeaves(*pWhole, *pLean))
            return false;
        pLean = pLean->m_pNextSibling;
    }
    return pLean == nullptr;
}

void WalkTree(const CMimePart& part)
{
    CString type, subtype;
    part.GetContentType(type, subtype);
    part.GetBoundary();
    part.GetDecodedBody();
    for (const CMimePart* child = part.m_pFirstChild; child != nullptr; child = child->m_pNextSibling)
        WalkTree(*child);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    CMimePart message(text);
    WalkTree(message);

    // The stored row and the header pane read the text itself; they must find what the tree finds.
    FUZZ_CHECK(Letters(ReadHeaderField(text, "Subject", 0)) == Letters(message.GetHeader("subject", "")));
    FUZZ_CHECK(Letters(ReadHeaderField(text, "From", 0)) == Letters(message.GetHeader("from", "")));

    {
        const CMimePart lean(text, true);
        FUZZ_CHECK(SameLeaves(message, lean));
    }

    CReceivedMessageScan scan;
    ScanReceivedMessage(message, scan);
    for (size_t i = 0; i < scan.m_attachments.size(); ++i)
    {
        const CReceivedAttachment& attachment = scan.m_attachments[i];
        FUZZ_CHECK(IsSafeFileName(attachment.m_strName));
        FUZZ_CHECK(attachment.m_nSize >= 0);
        if (attachment.m_bWriteFile)
            FUZZ_CHECK(attachment.m_strData.GetLength() == attachment.m_nSize);
        for (size_t j = 0; j < i; ++j)
            FUZZ_CHECK(attachment.m_strName.CompareNoCase(scan.m_attachments[j].m_strName) != 0);
    }
    return 0;
}
