#pragma once

#include <cstddef>
#include <string_view>

#include "catalogue/EntryStore.h"

// One catalogue entry: a handle onto a row of the document's EntryStore (entries are never shared or
// copied out; the document owns them all). A default-constructed handle is null.
// Getters return views that stay valid until the document's contents are deleted.
class CCDContent {
public:
    CCDContent() = default;
    CCDContent(EntryStore* store, std::size_t index) : m_store(store), m_index(index) {}

    explicit operator bool() const { return m_store != nullptr; }
    std::size_t Index() const { return m_index; }

    std::string_view GetLabel() const { return m_store->Label(m_index); }
    std::string_view GetName() const { return m_store->Name(m_index); }
    std::string_view GetKind() const { return m_store->Kind(m_index); }
    std::string_view GetPath() const { return m_store->Path(m_index); }
    std::string_view GetSize() const { return m_store->SizeText(m_index); }
    // All five texts empty: the entry was deleted and every reader skips it.
    bool IsDeleted() const { return m_store->IsDeleted(m_index); }

    void SetLabel(std::string_view text) { m_store->SetLabel(m_index, text); }
    void SetName(std::string_view text) { m_store->SetName(m_index, text); }
    void SetKind(std::string_view text) { m_store->SetKind(m_index, text); }
    void SetPath(std::string_view text) { m_store->SetPath(m_index, text); }
    void SetSize(std::string_view text) { m_store->SetSize(m_index, text); }

private:
    EntryStore* m_store = nullptr;
    std::size_t m_index = 0;
};

// The kind texts of catalogue entries, trailing blank included.
inline constexpr std::string_view kKindFile = "file ";
inline constexpr std::string_view kKindFolder = "folder ";
