// The collections the programs name: CArray (an indexed array that refuses indexes outside it
// with std::out_of_range) and CList / CPtrList (a doubly linked list walked by POSITION).
#pragma once
#include <windows.h>
#include <stdexcept>
#include <vector>

struct PositionTag;
typedef PositionTag* POSITION;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(items_.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return items_.empty(); }
    void SetSize(INT_PTR size) { items_.resize(static_cast<size_t>(size < 0 ? 0 : size)); }
    INT_PTR Add(ARG_TYPE item) {
        items_.push_back(item);
        return GetUpperBound();
    }
    // Index 0 to GetSize() inserts; beyond that grows the array first, like SetAt past the end.
    void InsertAt(INT_PTR index, ARG_TYPE item, INT_PTR count = 1) {
        if (index < 0 || count < 0) throw std::out_of_range("CArray::InsertAt");
        if (index > GetSize()) SetSize(index);
        items_.insert(items_.begin() + index, static_cast<size_t>(count), item);
    }
    void RemoveAt(INT_PTR index, INT_PTR count = 1) {
        if (index < 0 || count < 0 || index + count > GetSize()) throw std::out_of_range("CArray::RemoveAt");
        items_.erase(items_.begin() + index, items_.begin() + index + count);
    }
    void RemoveAll() { items_.clear(); }
    const TYPE& GetAt(INT_PTR index) const { return items_.at(Checked(index)); }
    TYPE& ElementAt(INT_PTR index) { return items_.at(Checked(index)); }
    void SetAt(INT_PTR index, ARG_TYPE item) { items_.at(Checked(index)) = item; }
    const TYPE& operator[](INT_PTR index) const { return GetAt(index); }
    TYPE& operator[](INT_PTR index) { return ElementAt(index); }
    TYPE* GetData() { return items_.empty() ? nullptr : items_.data(); }
    const TYPE* GetData() const { return items_.empty() ? nullptr : items_.data(); }
    INT_PTR Append(const CArray& other) {
        INT_PTR first = GetSize();
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return first;
    }
    void Copy(const CArray& other) { items_ = other.items_; }

private:
    static size_t Checked(INT_PTR index) {
        if (index < 0) throw std::out_of_range("CArray index");
        return static_cast<size_t>(index);
    }
    std::vector<TYPE> items_;
};

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList {
public:
    CList() {}
    ~CList() { RemoveAll(); }
    CList(const CList& other) { AddTail(other); }
    CList& operator=(const CList& other) {
        if (this != &other) {
            RemoveAll();
            AddTail(other);
        }
        return *this;
    }

    INT_PTR GetCount() const { return count_; }
    INT_PTR GetSize() const { return count_; }
    BOOL IsEmpty() const { return count_ == 0; }

    TYPE& GetHead() { return Checked(head_)->value; }
    const TYPE& GetHead() const { return Checked(head_)->value; }
    TYPE& GetTail() { return Checked(tail_)->value; }
    const TYPE& GetTail() const { return Checked(tail_)->value; }
    POSITION AddHead(ARG_TYPE value) { return InsertBefore(PosOf(head_), value); }
    POSITION AddTail(ARG_TYPE value) { return InsertAfter(PosOf(tail_), value); }
    void AddTail(const CList& other) {
        for (Node* n = other.head_; n; n = n->next) AddTail(n->value);
    }
    TYPE RemoveHead() {
        TYPE value = GetHead();
        RemoveAt(PosOf(head_));
        return value;
    }
    TYPE RemoveTail() {
        TYPE value = GetTail();
        RemoveAt(PosOf(tail_));
        return value;
    }
    void RemoveAll() {
        while (head_) {
            Node* next = head_->next;
            delete head_;
            head_ = next;
        }
        tail_ = nullptr;
        count_ = 0;
    }

    POSITION GetHeadPosition() const { return PosOf(head_); }
    POSITION GetTailPosition() const { return PosOf(tail_); }
    // The value at the position; the position moves to the next (or previous) one, null at the end.
    TYPE& GetNext(POSITION& pos) {
        Node* n = Checked(NodeOf(pos));
        pos = PosOf(n->next);
        return n->value;
    }
    const TYPE& GetNext(POSITION& pos) const {
        Node* n = Checked(NodeOf(pos));
        pos = PosOf(n->next);
        return n->value;
    }
    TYPE& GetPrev(POSITION& pos) {
        Node* n = Checked(NodeOf(pos));
        pos = PosOf(n->prev);
        return n->value;
    }
    TYPE& GetAt(POSITION pos) { return Checked(NodeOf(pos))->value; }
    const TYPE& GetAt(POSITION pos) const { return Checked(NodeOf(pos))->value; }
    void SetAt(POSITION pos, ARG_TYPE value) { Checked(NodeOf(pos))->value = value; }
    void RemoveAt(POSITION pos) {
        Node* n = Checked(NodeOf(pos));
        (n->prev ? n->prev->next : head_) = n->next;
        (n->next ? n->next->prev : tail_) = n->prev;
        delete n;
        --count_;
    }
    // A null position inserts at the head (before) or the tail (after).
    POSITION InsertBefore(POSITION pos, ARG_TYPE value) {
        Node* at = NodeOf(pos);
        if (!at) at = head_;
        Node* n = new Node{value, at ? at->prev : nullptr, at};
        (n->prev ? n->prev->next : head_) = n;
        (at ? at->prev : tail_) = n;
        ++count_;
        return PosOf(n);
    }
    POSITION InsertAfter(POSITION pos, ARG_TYPE value) {
        Node* at = NodeOf(pos);
        if (!at) at = tail_;
        Node* n = new Node{value, at, at ? at->next : nullptr};
        (n->next ? n->next->prev : tail_) = n;
        (at ? at->next : head_) = n;
        ++count_;
        return PosOf(n);
    }
    POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const {
        for (Node* n = startAfter ? NodeOf(startAfter)->next : head_; n; n = n->next)
            if (n->value == value) return PosOf(n);
        return nullptr;
    }
    POSITION FindIndex(INT_PTR index) const {
        if (index < 0 || index >= count_) return nullptr;
        Node* n = head_;
        while (index-- > 0) n = n->next;
        return PosOf(n);
    }

private:
    struct Node {
        TYPE value;
        Node* prev;
        Node* next;
    };
    static Node* NodeOf(POSITION pos) { return reinterpret_cast<Node*>(pos); }
    static POSITION PosOf(Node* n) { return reinterpret_cast<POSITION>(n); }
    static Node* Checked(Node* n) {
        if (!n) throw std::out_of_range("CList position");
        return n;
    }
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    INT_PTR count_ = 0;
};

typedef CList<void*, void*> CPtrList;
