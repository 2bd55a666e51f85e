#pragma once

#include <cstddef>
#include <span>

namespace pr {

//! Solves A x = b for a small dense n x n system by LU decomposition with partial pivoting.
//!
//! A is row-major and overwritten by its factors; b is overwritten by the solution. Returns
//! false when A is singular to working precision (b is then left in an undefined state).
bool lu_solve(std::span<double> A, std::span<double> b, std::size_t n);

}  // namespace pr
