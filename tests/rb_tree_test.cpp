// The red-black tree steps SETUP.EXE defines for std::map and std::set
// (src/platform/win32/rb_tree.h) against the C++ library's own: two trees
// get the same insertions and erasures, one through each, and must have
// the same shape, colours, header links and order after every step.
#include "platform/win32/rb_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

namespace rb = platform::win32::rbtree;
using Base = std::_Rb_tree_node_base;

struct KeyNode : Base {
  int key = 0;
};

int KeyOf(const Base* node) { return static_cast<const KeyNode*>(node)->key; }

// A tree of int keys over one of the two implementations.
class Tree {
 public:
  explicit Tree(bool ours) : ours_(ours) {
    header_._M_color = std::_S_red;
    header_._M_parent = nullptr;
    header_._M_left = &header_;
    header_._M_right = &header_;
  }

  Base& header() { return header_; }
  Base* root() { return header_._M_parent; }

  // Inserts key (duplicates go to the right, as multiset does).
  void Insert(int key) {
    auto node = std::make_unique<KeyNode>();
    node->key = key;
    Base* parent = &header_;
    Base* at = root();
    bool left = true;
    while (at) {
      parent = at;
      left = key < KeyOf(at);
      at = left ? at->_M_left : at->_M_right;
    }
    if (ours_) rb::InsertAndRebalance(left, node.get(), parent, header_);
    else std::_Rb_tree_insert_and_rebalance(left, node.get(), parent, header_);
    nodes_.push_back(std::move(node));
  }

  // Erases the index-th node in order; the node returned must be it.
  void EraseNth(std::size_t index) {
    Base* node = header_._M_left;
    for (std::size_t i = 0; i < index; ++i) node = Next(node);
    Base* freed = ours_ ? rb::RebalanceForErase(node, header_) : std::_Rb_tree_rebalance_for_erase(node, header_);
    ASSERT_EQ(freed, node);
    for (auto it = nodes_.begin(); it != nodes_.end(); ++it)
      if (it->get() == freed) {
        nodes_.erase(it);
        break;
      }
  }

  Base* Next(Base* node) { return ours_ ? rb::Increment(node) : std::_Rb_tree_increment(node); }
  Base* Previous(Base* node) { return ours_ ? rb::Decrement(node) : std::_Rb_tree_decrement(node); }
  std::size_t size() const { return nodes_.size(); }

 private:
  bool ours_;
  Base header_;
  std::vector<std::unique_ptr<KeyNode>> nodes_;
};

// The shape as text: (key colour left right), "." for no node.
std::string Shape(const Base* node) {
  if (!node) return ".";
  return "(" + std::to_string(KeyOf(node)) + (node->_M_color == std::_S_red ? "r " : "b ") + Shape(node->_M_left) +
         " " + Shape(node->_M_right) + ")";
}

// The red-black rules and the parent links, checked on our own tree.
int CheckedBlackHeight(const Base* node, const Base* parent) {
  if (!node) return 1;
  EXPECT_EQ(node->_M_parent, parent);
  if (node->_M_color == std::_S_red) {
    EXPECT_TRUE(rb::IsBlack(node->_M_left));
    EXPECT_TRUE(rb::IsBlack(node->_M_right));
  }
  const int left = CheckedBlackHeight(node->_M_left, node);
  const int right = CheckedBlackHeight(node->_M_right, node);
  EXPECT_EQ(left, right);
  return left + (node->_M_color == std::_S_black ? 1 : 0);
}

void ExpectSame(Tree& library, Tree& ours) {
  ASSERT_EQ(Shape(library.root()), Shape(ours.root()));
  if (!ours.root()) {
    EXPECT_EQ(ours.header()._M_left, &ours.header());
    EXPECT_EQ(ours.header()._M_right, &ours.header());
    return;
  }
  EXPECT_EQ(ours.root()->_M_color, std::_S_black);
  EXPECT_EQ(ours.root()->_M_parent, &ours.header());
  CheckedBlackHeight(ours.root(), &ours.header());
  EXPECT_EQ(KeyOf(library.header()._M_left), KeyOf(ours.header()._M_left));
  EXPECT_EQ(KeyOf(library.header()._M_right), KeyOf(ours.header()._M_right));
  EXPECT_EQ(rb::Minimum(ours.root()), ours.header()._M_left);
  EXPECT_EQ(rb::Maximum(ours.root()), ours.header()._M_right);

  // In order forwards to end() (the header) and back from it, the same
  // keys as the library's walk, each no smaller than the one before.
  std::vector<int> forward;
  std::vector<int> expected;
  for (Base* n = ours.header()._M_left; n != &ours.header(); n = ours.Next(n)) forward.push_back(KeyOf(n));
  for (Base* n = library.header()._M_left; n != &library.header(); n = library.Next(n))
    expected.push_back(KeyOf(n));
  EXPECT_EQ(forward, expected);
  ASSERT_EQ(forward.size(), ours.size());
  for (std::size_t i = 1; i < forward.size(); ++i) EXPECT_LE(forward[i - 1], forward[i]);
  std::vector<int> backward;
  for (Base* n = ours.Previous(&ours.header()); backward.size() < ours.size(); n = ours.Previous(n))
    backward.push_back(KeyOf(n));
  EXPECT_EQ(std::vector<int>(backward.rbegin(), backward.rend()), forward);

  EXPECT_EQ(rb::BlackCount(ours.header()._M_left, ours.root()),
            std::_Rb_tree_black_count(library.header()._M_left, library.root()));
}

TEST(RbTree, SameTreesAsTheLibraryThroughInsertionsAndErasures) {
  // Ascending, descending and random keys with duplicates, then erasing
  // from the front, the back and random places down to the empty tree.
  struct Case {
    const char* name;
    int count;
    int order;  // 0 random, 1 ascending, -1 descending
  };
  const Case cases[] = {{"ascending", 64, 1}, {"descending", 64, -1}, {"random", 300, 0}, {"one", 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 random(20261211u + static_cast<unsigned>(c.count));
    Tree library(false);
    Tree ours(true);
    for (int i = 0; i < c.count; ++i) {
      const int key = c.order == 0 ? static_cast<int>(random() % 97) : c.order * i;
      library.Insert(key);
      ours.Insert(key);
      ExpectSame(library, ours);
      if (HasFatalFailure()) return;
    }
    int step = 0;
    while (ours.size()) {
      std::size_t index = 0;
      switch (step++ % 3) {
        case 0: index = 0; break;
        case 1: index = ours.size() - 1; break;
        default: index = random() % ours.size(); break;
      }
      library.EraseNth(index);
      ours.EraseNth(index);
      ExpectSame(library, ours);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(RbTree, MixedInsertionsAndErasuresStayTheSame) {
  std::mt19937 random(7u);
  Tree library(false);
  Tree ours(true);
  for (int i = 0; i < 2000; ++i) {
    if (ours.size() && random() % 3 == 0) {
      const std::size_t index = random() % ours.size();
      library.EraseNth(index);
      ours.EraseNth(index);
    } else {
      const int key = static_cast<int>(random() % 500);
      library.Insert(key);
      ours.Insert(key);
    }
    ExpectSame(library, ours);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
