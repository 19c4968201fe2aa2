// The red-black tree steps under std::map and std::set, on the C++
// library's own node layout (std::_Rb_tree_node_base). GCC's library keeps
// these few functions in its prebuilt binary, built for the Pentium Pro;
// SETUP.EXE defines them itself from these (rb_tree.cpp), so that they are
// built for the 486 with the rest of the program. They are the classic
// algorithms, and must leave every tree exactly as the library's own
// would: tests/rb_tree_test.cpp runs both side by side.
//
// The tree's header node: its parent is the root, its left the leftmost
// node, its right the rightmost; it is red, the root black. end() is the
// header.
#pragma once

#include <map>

namespace platform::win32::rbtree {

using Node = std::_Rb_tree_node_base;
constexpr std::_Rb_tree_color kRed = std::_S_red;
constexpr std::_Rb_tree_color kBlack = std::_S_black;

inline bool IsBlack(const Node* node) { return node == nullptr || node->_M_color == kBlack; }

inline Node* Minimum(Node* node) {
  while (node->_M_left) node = node->_M_left;
  return node;
}

inline Node* Maximum(Node* node) {
  while (node->_M_right) node = node->_M_right;
  return node;
}

// The next node in order; the header after the rightmost.
inline Node* Increment(Node* node) {
  if (node->_M_right) return Minimum(node->_M_right);
  Node* parent = node->_M_parent;
  while (node == parent->_M_right) {
    node = parent;
    parent = parent->_M_parent;
  }
  // From the rightmost node the climb ends at the root with parent the
  // header, the node to return; when the root is the rightmost itself it
  // goes one step further, to node the header and parent the root, and
  // the header is kept.
  if (node->_M_right != parent) node = parent;
  return node;
}

// The node before in order; the rightmost before the header.
inline Node* Decrement(Node* node) {
  // The header is the only red node whose grandparent is itself.
  if (node->_M_color == kRed && node->_M_parent->_M_parent == node) return node->_M_right;
  if (node->_M_left) return Maximum(node->_M_left);
  Node* parent = node->_M_parent;
  while (node == parent->_M_left) {
    node = parent;
    parent = parent->_M_parent;
  }
  return parent;
}

// Turns node's right child into its parent; root follows.
inline void RotateLeft(Node* node, Node*& root) {
  Node* child = node->_M_right;
  node->_M_right = child->_M_left;
  if (child->_M_left) child->_M_left->_M_parent = node;
  child->_M_parent = node->_M_parent;
  if (node == root) root = child;
  else if (node == node->_M_parent->_M_left) node->_M_parent->_M_left = child;
  else node->_M_parent->_M_right = child;
  child->_M_left = node;
  node->_M_parent = child;
}

// Turns node's left child into its parent; root follows.
inline void RotateRight(Node* node, Node*& root) {
  Node* child = node->_M_left;
  node->_M_left = child->_M_right;
  if (child->_M_right) child->_M_right->_M_parent = node;
  child->_M_parent = node->_M_parent;
  if (node == root) root = child;
  else if (node == node->_M_parent->_M_right) node->_M_parent->_M_right = child;
  else node->_M_parent->_M_left = child;
  child->_M_right = node;
  node->_M_parent = child;
}

// Links node in as the left (insertLeft) or right child of parent (the
// header for an empty tree), keeps the header's leftmost and rightmost,
// and restores the red-black rules.
inline void InsertAndRebalance(bool insertLeft, Node* node, Node* parent, Node& header) {
  Node*& root = header._M_parent;
  node->_M_parent = parent;
  node->_M_left = nullptr;
  node->_M_right = nullptr;
  node->_M_color = kRed;

  if (insertLeft) {
    parent->_M_left = node;  // the leftmost too when parent is the header
    if (parent == &header) {
      header._M_parent = node;
      header._M_right = node;
    } else if (parent == header._M_left) {
      header._M_left = node;
    }
  } else {
    parent->_M_right = node;
    if (parent == header._M_right) header._M_right = node;
  }

  // A red node under a red parent: recolour while the uncle is red, else
  // rotate once or twice.
  while (node != root && node->_M_parent->_M_color == kRed) {
    Node* grandparent = node->_M_parent->_M_parent;
    if (node->_M_parent == grandparent->_M_left) {
      Node* uncle = grandparent->_M_right;
      if (uncle && uncle->_M_color == kRed) {
        node->_M_parent->_M_color = kBlack;
        uncle->_M_color = kBlack;
        grandparent->_M_color = kRed;
        node = grandparent;
      } else {
        if (node == node->_M_parent->_M_right) {
          node = node->_M_parent;
          RotateLeft(node, root);
        }
        node->_M_parent->_M_color = kBlack;
        grandparent->_M_color = kRed;
        RotateRight(grandparent, root);
      }
    } else {
      Node* uncle = grandparent->_M_left;
      if (uncle && uncle->_M_color == kRed) {
        node->_M_parent->_M_color = kBlack;
        uncle->_M_color = kBlack;
        grandparent->_M_color = kRed;
        node = grandparent;
      } else {
        if (node == node->_M_parent->_M_left) {
          node = node->_M_parent;
          RotateRight(node, root);
        }
        node->_M_parent->_M_color = kBlack;
        grandparent->_M_color = kRed;
        RotateLeft(grandparent, root);
      }
    }
  }
  root->_M_color = kBlack;
}

// Unlinks doomed from the tree, keeps the header's leftmost and rightmost,
// restores the red-black rules, and returns the node to free (doomed).
inline Node* RebalanceForErase(Node* const doomed, Node& header) {
  Node*& root = header._M_parent;
  Node*& leftmost = header._M_left;
  Node*& rightmost = header._M_right;

  // removed: the node taken out of its place (doomed, or doomed's
  // successor when doomed has two children); moved: what takes removed's
  // place (may be null), under movedParent.
  Node* removed = doomed;
  Node* moved = nullptr;
  Node* movedParent = nullptr;
  if (!removed->_M_left) {
    moved = removed->_M_right;
  } else if (!removed->_M_right) {
    moved = removed->_M_left;
  } else {
    removed = Minimum(removed->_M_right);
    moved = removed->_M_right;
  }

  if (removed != doomed) {
    // The successor takes doomed's place, children and colour.
    doomed->_M_left->_M_parent = removed;
    removed->_M_left = doomed->_M_left;
    if (removed != doomed->_M_right) {
      movedParent = removed->_M_parent;
      if (moved) moved->_M_parent = removed->_M_parent;
      removed->_M_parent->_M_left = moved;
      removed->_M_right = doomed->_M_right;
      doomed->_M_right->_M_parent = removed;
    } else {
      movedParent = removed;
    }
    if (root == doomed) root = removed;
    else if (doomed->_M_parent->_M_left == doomed) doomed->_M_parent->_M_left = removed;
    else doomed->_M_parent->_M_right = removed;
    removed->_M_parent = doomed->_M_parent;
    std::swap(removed->_M_color, doomed->_M_color);
    removed = doomed;  // the colour to restore is doomed's now
  } else {
    movedParent = removed->_M_parent;
    if (moved) moved->_M_parent = removed->_M_parent;
    if (root == doomed) root = moved;
    else if (doomed->_M_parent->_M_left == doomed) doomed->_M_parent->_M_left = moved;
    else doomed->_M_parent->_M_right = moved;
    if (leftmost == doomed) leftmost = doomed->_M_right ? Minimum(moved) : doomed->_M_parent;
    if (rightmost == doomed) rightmost = doomed->_M_left ? Maximum(moved) : doomed->_M_parent;
  }

  // A black node gone: the path through moved lacks one black.
  if (removed->_M_color != kRed) {
    while (moved != root && IsBlack(moved)) {
      if (moved == movedParent->_M_left) {
        Node* sibling = movedParent->_M_right;
        if (sibling->_M_color == kRed) {
          sibling->_M_color = kBlack;
          movedParent->_M_color = kRed;
          RotateLeft(movedParent, root);
          sibling = movedParent->_M_right;
        }
        if (IsBlack(sibling->_M_left) && IsBlack(sibling->_M_right)) {
          sibling->_M_color = kRed;
          moved = movedParent;
          movedParent = movedParent->_M_parent;
        } else {
          if (IsBlack(sibling->_M_right)) {
            sibling->_M_left->_M_color = kBlack;
            sibling->_M_color = kRed;
            RotateRight(sibling, root);
            sibling = movedParent->_M_right;
          }
          sibling->_M_color = movedParent->_M_color;
          movedParent->_M_color = kBlack;
          if (sibling->_M_right) sibling->_M_right->_M_color = kBlack;
          RotateLeft(movedParent, root);
          break;
        }
      } else {
        Node* sibling = movedParent->_M_left;
        if (sibling->_M_color == kRed) {
          sibling->_M_color = kBlack;
          movedParent->_M_color = kRed;
          RotateRight(movedParent, root);
          sibling = movedParent->_M_left;
        }
        if (IsBlack(sibling->_M_right) && IsBlack(sibling->_M_left)) {
          sibling->_M_color = kRed;
          moved = movedParent;
          movedParent = movedParent->_M_parent;
        } else {
          if (IsBlack(sibling->_M_left)) {
            sibling->_M_right->_M_color = kBlack;
            sibling->_M_color = kRed;
            RotateLeft(sibling, root);
            sibling = movedParent->_M_left;
          }
          sibling->_M_color = movedParent->_M_color;
          movedParent->_M_color = kBlack;
          if (sibling->_M_left) sibling->_M_left->_M_color = kBlack;
          RotateRight(movedParent, root);
          break;
        }
      }
    }
    if (moved) moved->_M_color = kBlack;
  }
  return removed;
}

// The black nodes from node up to root, both counted (0 for no node).
inline unsigned BlackCount(const Node* node, const Node* root) {
  if (!node) return 0;
  unsigned count = 0;
  for (;;) {
    if (node->_M_color == kBlack) ++count;
    if (node == root) break;
    node = node->_M_parent;
  }
  return count;
}

}  // namespace platform::win32::rbtree
