// Dividing a polynomial by the largest monomial that divides all of its
// terms: the stage of --reduce.
#pragma once

#include "polynomial.hpp"

namespace initform {

// Writes into `result` (whose storage is reused) p divided by the largest
// monomial dividing all of its terms: the smallest exponent of each
// variable over the terms is subtracted from every term. The coefficients
// stay; p without terms gives a result without terms.
template <class A>
void reducePoly(const PolynomialOf<A>& p, PolynomialOf<A>& result);

}  // namespace initform
