// The C++ library's red-black tree functions (declared in <bits/stl_tree.h>),
// defined by the program so that its std::map and std::set run code built
// for the 486 (rb_tree.h) rather than the prebuilt library's.
#include "platform/win32/rb_tree.h"

namespace rb = platform::win32::rbtree;

namespace std {

_Rb_tree_node_base* _Rb_tree_increment(_Rb_tree_node_base* node) throw() { return rb::Increment(node); }

const _Rb_tree_node_base* _Rb_tree_increment(const _Rb_tree_node_base* node) throw() {
  return rb::Increment(const_cast<_Rb_tree_node_base*>(node));
}

_Rb_tree_node_base* _Rb_tree_decrement(_Rb_tree_node_base* node) throw() { return rb::Decrement(node); }

const _Rb_tree_node_base* _Rb_tree_decrement(const _Rb_tree_node_base* node) throw() {
  return rb::Decrement(const_cast<_Rb_tree_node_base*>(node));
}

void _Rb_tree_insert_and_rebalance(const bool insertLeft, _Rb_tree_node_base* node, _Rb_tree_node_base* parent,
                                   _Rb_tree_node_base& header) throw() {
  rb::InsertAndRebalance(insertLeft, node, parent, header);
}

_Rb_tree_node_base* _Rb_tree_rebalance_for_erase(_Rb_tree_node_base* const node,
                                                 _Rb_tree_node_base& header) throw() {
  return rb::RebalanceForErase(node, header);
}

unsigned int _Rb_tree_black_count(const _Rb_tree_node_base* node, const _Rb_tree_node_base* root) throw() {
  return rb::BlackCount(node, root);
}

}  // namespace std
