// Release and copy of the singly linked lists of the bank model. Every node type has a member
// `next` and an Init operation reachable as InitListNode(trace, context, passThrough, Node*).
#pragma once

#include <cstdint>

// Releases every node, front to back, reading each successor before its node goes.
template <typename Node>
void FreeList(Node* first) {
    while (first != nullptr) {
        Node* following = first->next;
        delete first;
        first = following;
    }
}

// One new node per source node, made by the type's Init operation, each a field-for-field copy
// of its source with `next` linking the copies in the same order. Empty gives empty.
template <typename Node>
Node* CopyList(int8_t trace, int32_t context, uint8_t passThrough, const Node* source) {
    if (source == nullptr) return nullptr;
    Node* first = InitListNode(trace, context, passThrough, static_cast<Node*>(nullptr));
    Node* current = first;
    for (; source != nullptr; source = source->next) {
        *current = *source;
        if (source->next != nullptr) {
            current->next = InitListNode(trace, context, passThrough, static_cast<Node*>(nullptr));
            current = current->next;
        } else {
            current->next = nullptr;
        }
    }
    return first;
}
