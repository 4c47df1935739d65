-- Initial forms, Gröbner cones and walk steps with the initform filter.
newPackage(
    "Initform",
    Version => "1.0.0",
    Date => "December 9, 2026",
    Headline => "initial forms, Groebner cones and walk steps with the initform filter",
    Authors => {{Name => "initform's developers"}},
    PackageExports => {"Polyhedra"},
    DebuggingMode => false
    )

export {"initialForms", "groebnerCone", "nextWeight", "Rule", "Valuation",
    "Dimension", "Equations", "Lineality", "Facets", "Interior",
    "tropicalHypersurface", "tropicalPrevariety", "Polyhedral", "Cells", "Multiplicities"}

-- The initform binary: the environment variable INITFORM, or else on PATH.
initformBinary = () -> (path := getenv "INITFORM"; if path == "" then "initform" else path)

-- The polynomials of L, a List of RingElements, an Ideal or a Matrix.
polynomialsOf = L -> (
    if instance(L, Ideal) then flatten entries gens L
    else if instance(L, Matrix) then flatten entries L
    else toList L)

-- A text quoted for the shell: between single quotes, each quote inside
-- escaped. Nothing a caller passes reaches the shell otherwise.
shellQuote = s -> "'" | replace("'", "'\\\\''", s) | "'"

-- A weight vector as initform reads it, '(1,-1/2)': each weight must be a
-- number (ZZ or QQ), checked before anything runs.
weightText = w -> (
    if not instance(w, List) then error "initform: a weight vector must be a List of numbers (ZZ or QQ)";
    "(" | demark(",", apply(w, x -> (
        if instance(x, ZZ) or instance(x, QQ) then toString x
        else error("initform: a weight must be a number (ZZ or QQ), not " | toString x)))) | ")")

-- The stand-in name of variable i: the document is written over these,
-- by position, so no name of the ring reaches initform and none collide.
standIn = i -> "v" | toString i

-- A polynomial as canonical text over the stand-in names, from its terms.
polynomialText = f -> (
    terms := apply(listForm f, (e, c) -> (
        factors := select(apply(#e, i -> if e#i == 0 then null else if e#i == 1 then standIn i
                                         else standIn i | "^" | toString e#i), t -> t =!= null);
        coefficient := toString c;
        if #factors == 0 then coefficient
        else if coefficient == "1" then demark("*", factors)
        else if coefficient == "-1" then "-" | demark("*", factors)
        else coefficient | "*" | demark("*", factors)));
    if #terms == 0 then "0" else concatenate apply(#terms, k -> if k > 0 and terms#k#0 != "-" then "+" | terms#k else terms#k))

-- Runs initform with these arguments (already checked and quoted) on the
-- polynomials of L: its output, or an error carrying its message. Every
-- path it names is quoted for the shell. The files of `owned` are removed
-- with the run's own, whatever the outcome.
runInitform = (L, args, owned) -> (
    R := ring first L;
    document := temporaryFileName();
    output := temporaryFileName();
    document << "Q[" | demark(",", apply(#(gens R), standIn)) | "]{" | demark(",", apply(L, polynomialText)) | "}" << close;
    status := run(shellQuote initformBinary() | " " | args | " --lenient < " | shellQuote document
                  | " > " | shellQuote output | " 2>&1");
    out := if fileExists output then get output else "";
    scan({document, output} | owned, f -> if fileExists f then removeFile f);
    if status != 0 then (
        said := lines out;
        error("initform: " | (if #said > 0 then last said else "the run failed with status " | toString(status // 256))));
    out)

-- A decimal integer's value, read digit by digit (never evaluated).
digitsValue = s -> (
    if not match("^[0-9]+$", s) then error("initform: not a number: " | s);
    fold((n, c) -> 10 * n + (first utf8 c - 48), 0, characters s))
-- A number as initform prints it: an integer or p/q.
numberValue = s -> (
    parts := separate("/", s);
    if #parts == 2 then digitsValue parts#0 / digitsValue parts#1 else digitsValue s)

-- A canonical answer as a ring element of R: each term parsed into its
-- coefficient times powers of R's variables, found by position.
parsePolynomial = (R, text) -> (
    sum(select("[+-]?[^+-]+", text), term -> (
        sign := if term#0 == "-" then -1 else 1;
        if term#0 == "-" or term#0 == "+" then term = substring(1, term);
        product(separate("\\*", term), factor -> (
            if match("^[0-9]", factor) then numberValue factor
            else (
                parts := separate("\\^", factor);
                i := digitsValue substring(1, parts#0);
                if factor#0 != "v" or i >= #(gens R) then error("initform: an unexpected factor " | factor);
                (gens R)#i ^ (if #parts == 2 then digitsValue parts#1 else 1)))) * sign * 1_R)))

-- Answer lines as ring elements of R: each distinct polynomial is parsed
-- once. (Many answers share polynomials: over cyclic(6), 2336 of 45000 differ.)
ringElements = (R, texts) -> (
    byText := hashTable apply(unique texts, t -> t => parsePolynomial(R, t));
    apply(texts, t -> byText#t))

-- The answers of a run, one List of ring elements per weight vector: each
-- answer ends with a line without a trailing ','.
answersOf = (R, out) -> (
    ls := lines out;
    texts := apply(ls, l -> if #l > 0 and l#-1 == "," then substring(0, #l - 1, l) else l);
    ends := positions(ls, l -> #l == 0 or l#-1 != ",");
    elements := ringElements(R, texts);
    apply({0} | apply(drop(ends, -1), e -> e + 1), ends, (s, e) -> elements_{s..e}))

ruleSwitch = rule -> (
    if rule === "max" then " --max" else if rule === "min" then " --min" else if rule === "classic" then ""
    else error "initform: Rule must be \"max\", \"min\" or \"classic\"")

-- The rule of the cone and the walk: the largest degree, or the smallest.
coneRuleSwitch = rule -> (
    if rule === "max" then "" else if rule === "min" then " --min"
    else error "initform: Rule must be \"max\" or \"min\"")

valuationSwitch = p -> (
    if p === null then ""
    else if instance(p, ZZ) and isPrime p then " --valuation " | toString p
    else error "initform: Valuation must be a prime integer (ZZ)")

initialForms = method(Options => {Rule => "max", Valuation => null})
initialForms(List, List) := o -> (L, w) -> (
    L = polynomialsOf L;
    if #L == 0 then return {};
    R := ring first L;
    args := " --exact" | ruleSwitch o.Rule | valuationSwitch o.Valuation;
    if #w > 0 and all(w, v -> instance(v, List)) then (
        -- Many vectors: one run over one reading of the basis.
        texts := apply(w, weightText);
        vectors := temporaryFileName();
        vectors << concatenate apply(texts, t -> t | "\n") << close;
        answersOf(R, runInitform(L, "--weights " | shellQuote vectors | args, {vectors})))
    else first answersOf(R, runInitform(L, shellQuote weightText w | args, {})))
initialForms(Ideal, List) := o -> (I, w) -> initialForms(polynomialsOf I, w, o)
initialForms(Matrix, List) := o -> (M, w) -> initialForms(polynomialsOf M, w, o)

-- The vector of a line "label (a,b,c)", its numbers integers or p/q.
vectorOf = line -> (
    start := first first regex("\\(", line);
    apply(separate(",", substring(start + 1, #line - start - 2, line)),
          x -> if x#0 == "-" then -numberValue substring(1, x) else numberValue x))

groebnerCone = method(Options => {Rule => "max"})
groebnerCone List := o -> L -> (
    L = polynomialsOf L;
    out := runInitform(L, "--cone" | coneRuleSwitch o.Rule, {});
    ls := lines out;
    labelled := label -> apply(select(ls, l -> match("^" | label | " ", l)), vectorOf);
    hashTable {
        Dimension => digitsValue last separate(" ", first ls),
        Equations => labelled "equation",
        Lineality => labelled "lineality",
        Facets => labelled "facet",
        Interior => first labelled "interior"})
groebnerCone Ideal := o -> I -> groebnerCone(polynomialsOf I, o)
groebnerCone Matrix := o -> M -> groebnerCone(polynomialsOf M, o)

nextWeight = method(Options => {Rule => "max"})
nextWeight(List, List, List) := o -> (L, w, target) -> (
    L = polynomialsOf L;
    args := shellQuote weightText w | " --toward " | shellQuote weightText target | coneRuleSwitch o.Rule;
    vectorOf first lines runInitform(L, args, {}))
nextWeight(Ideal, List, List) := o -> (I, w, target) -> nextWeight(polynomialsOf I, w, target, o)

-- The rule of the tropical sets: the largest degree, or the smallest.
tropicalRuleSwitch = rule -> (
    if rule === "max" then " --max" else if rule === "min" then " --min"
    else error "initform: Rule must be \"max\" or \"min\"")

-- The blocks of a --tropical answer (after each "polynomial K" line), or
-- the one block of --prevariety: each a List of lines.
blocksOf = out -> (
    ls := lines out;
    starts := positions(ls, l -> match("^polynomial ", l));
    if #starts == 0 then return {ls};
    apply(#starts, k -> ls_{starts#k + 1 .. (if k + 1 < #starts then starts#(k + 1) - 1 else #ls - 1)}))

-- The columns of a matrix over ZZ (or QQ) in ambient dimension n.
columnsMatrix = (n, vectors) -> (
    if #vectors == 0 then map(ZZ^n, ZZ^0, 0) else transpose matrix vectors)

-- One block in the caller's coordinates: Polyhedral, a Fan (no valuation)
-- or a PolyhedralComplex (with one); Cells, the maximal cells as {vertices,
-- rays} in the block's order; Multiplicities, beside them (null where a cell
-- has none). An empty set is null.
tropicalSetOf = (n, block, valued) -> (
    if block == {"empty"} then return null;
    labelled := label -> apply(select(block, l -> match("^" | label | " ", l)), vectorOf);
    vs := labelled "vertex";
    rs := labelled "ray";
    cells := apply(select(block, l -> match("^cell ", l)), l -> (
        words := drop(separate(" ", l), 1);
        m := position(words, w -> w == "multiplicity");
        ids := apply(if m === null then words else take(words, m), digitsValue);
        {apply(select(ids, i -> i <= #vs), i -> i - 1), apply(select(ids, i -> i > #vs), i -> i - 1 - #vs),
         if m === null then null else digitsValue words#(m + 1)}));
    L := columnsMatrix(n, labelled "lineality");
    R := columnsMatrix(n, rs);
    set := if valued then polyhedralComplex(
               if #vs == 0 then map(QQ^n, QQ^0, 0) else transpose matrix apply(vs, v -> apply(v, x -> x / 1)),
               R, L, apply(cells, c -> {c#0, c#1}))
           else fan(R, L, apply(cells, c -> c#1));
    hashTable {
        Polyhedral => set,
        Cells => apply(cells, c -> {vs_(c#0), rs_(c#1)}),
        Multiplicities => apply(cells, c -> c#2)})

-- Runs --tropical or --prevariety on the polynomials of L: its blocks.
tropicalBlocks = (mode, L, o) -> (
    args := mode | tropicalRuleSwitch o.Rule | valuationSwitch o.Valuation;
    apply(blocksOf runInitform(L, args, {}), b -> tropicalSetOf(numgens ring first L, b, o.Valuation =!= null)))

tropicalHypersurface = method(Options => {Rule => "max", Valuation => null})
tropicalHypersurface List := o -> L -> (
    L = polynomialsOf L;
    if #L == 0 then {} else tropicalBlocks("--tropical", L, o))
tropicalHypersurface Ideal := o -> I -> tropicalHypersurface(polynomialsOf I, o)
tropicalHypersurface RingElement := o -> f -> first tropicalHypersurface({f}, o)

tropicalPrevariety = method(Options => {Rule => "max", Valuation => null})
tropicalPrevariety List := o -> L -> (
    L = polynomialsOf L;
    if #L == 0 then error "initform: the prevariety of no polynomials";
    first tropicalBlocks("--prevariety", L, o))
tropicalPrevariety Ideal := o -> I -> tropicalPrevariety(polynomialsOf I, o)

beginDocumentation()

doc ///
    Key
        Initform
    Headline
        initial forms, Groebner cones and walk steps with the initform filter
    Description
        Text
            The initform filter computes initial forms exactly, for one weight
            vector or many in one run, the Groebner cone of a marked basis and
            the next weight of a Groebner walk. This package writes the
            polynomials as initform's document, runs the binary (the
            environment variable INITFORM, or else initform on the PATH), and
            reads the answers back into the ring.
        Example
            R = QQ[x,y];
            initialForms({x^2+y^2+2*x+2*y}, {-1,-1})
            initialForms({x^2+y^2+2*x+2*y}, {-1,-1}, Rule => "min")
///

doc ///
    Key
        initialForms
        (initialForms, List, List)
        (initialForms, Ideal, List)
        (initialForms, Matrix, List)
        [initialForms, Rule]
        [initialForms, Valuation]
        Rule
        Valuation
    Headline
        the initial forms of polynomials for one weight vector or many
    Usage
        initialForms(L, w)
        initialForms(L, W)
    Inputs
        L:List
            of RingElements, or an Ideal or a Matrix (its generators)
        w:List
            of ZZ or QQ: one weight per variable
        W:List
            of such Lists: one run over one reading of L
        Rule => String
            "max" (the textbook initial form), "min" (the tropical one) or
            "classic" (initform's own default rule)
        Valuation => ZZ
            a prime p: initial forms over the p-adic numbers, the
            coefficients residues mod p
    Outputs
        :List
            the initial forms, in the ring of L; for W, one List per vector
    Description
        Example
            R = QQ[x,y];
            L = {x^2+y^2+2*x+2*y, x^2+y-x^2};
            initialForms(L, {1/2,-1/3})
            initialForms(L, {{1,1},{-1,-1}}, Rule => "min")
            initialForms(L, {-1,-1}, Valuation => 2, Rule => "min")
///

doc ///
    Key
        groebnerCone
        (groebnerCone, List)
        (groebnerCone, Ideal)
        (groebnerCone, Matrix)
        [groebnerCone, Rule]
        Dimension
        Equations
        Lineality
        Facets
        Interior
    Headline
        the Groebner cone of a marked basis
    Usage
        groebnerCone L
    Inputs
        L:List
            of polynomials, each marked by its leading term (a Groebner basis)
    Outputs
        :HashTable
            with the keys Dimension, Equations, Lineality (a basis of the
            lineality space), Facets (the normals v of w.v >= 0) and Interior
            (a point of the relative interior); each vector a List
    Description
        Example
            R = QQ[x,y,z];
            groebnerCone {y^2-x*z, x*y-z, x^2-y}
///

doc ///
    Key
        nextWeight
        (nextWeight, List, List, List)
        (nextWeight, Ideal, List, List)
        [nextWeight, Rule]
    Headline
        the step of a Groebner walk
    Usage
        nextWeight(L, w, target)
    Inputs
        L:List
            a marked basis
        w:List
            in the Groebner cone of L
        target:List
    Outputs
        :List
            the last point of the segment from w to target that stays in the
            cone, as a primitive integer vector
    Description
        Example
            R = QQ[x,y,z, MonomialOrder => {Weights => {1,1,10}}];
            nextWeight({y^2-x, z^3-x}, {1,1,10}, {10,1,1})
///

TEST ///
    R = QQ[x,y];
    L = {x^2+y^2+2*x+2*y, x^2+y-x^2};
    assert(initialForms(L, {-1,-1}) == {2*x+2*y, y});
    assert(initialForms(L, {-1,-1}, Rule => "min") == {x^2+y^2, y});
    assert(initialForms(L, {-1,-1}, Rule => "classic") == {0, 0});
    assert(initialForms(ideal L, {1/2,-1/3}, Rule => "min") == {y^2, y});
    assert(initialForms(matrix{L}, {{1,1},{-1,-1}}) == {{x^2+y^2, y}, {2*x+2*y, y}});
    assert(initialForms({x^2+y^2+2*x+2*y}, {-1,-1}, Valuation => 2, Rule => "min") == {x^2+y^2});
///

TEST ///
    R = QQ[x,y,z];
    C = groebnerCone {y^2-x*z, x*y-z, x^2-y};
    assert(C#Dimension == 3 and C#Equations == {} and C#Lineality == {{1,2,3}});
    assert(C#Facets == {{-1,2,-1}, {2,-1,0}});
    assert(nextWeight({y^2-x, z^3-x}, {1,1,10}, {10,1,1}) == {2,1,9});
///

TEST ///
    -- initform's messages end the call with an error carrying them.
    R = QQ[x,y];
    assert(try (initialForms({x}, {1,2,3}); false) else true);
    assert(try (nextWeight({y^2-x}, {10,1}, {1,1}); false) else true);
    assert(try (initialForms({x}, {1,1}, Rule => "largest"); false) else true);
///

TEST ///
    -- Nothing a caller passes runs: weights and primes are checked, rules
    -- too, and the document is written over stand-in names by position.
    marker := temporaryFileName();
    R = QQ[x,y];
    assert(try (initialForms({x^2+y}, {1,1}, Valuation => "2; touch " | marker); false) else true);
    assert(try (initialForms({x^2+y}, {1,1}, Valuation => 4); false) else true);
    assert(try (initialForms({x^2+y}, {"1)'; touch " | marker | "; echo '(", 1}); false) else true);
    assert(try (groebnerCone({x-y}, Rule => "minimum"); false) else true);
    assert(try (nextWeight({x-y}, {1,0}, {0,1}, Rule => "minimum"); false) else true);
    assert(not fileExists marker);
    S = QQ[x,v0];
    assert(initialForms({x^3+v0^2}, {1,1}) == {x^3});
    T = QQ[a_(1,1)..a_(2,2)];
    assert(initialForms({a_(1,1)^2+a_(2,2)}, {1,1,1,1}) == {a_(1,1)^2});
    U = QQ[x,y,z];
    -- A target within the cone comes back as given; vectors of any size.
    assert(nextWeight({y^2-x, z^3-x}, {1,1,10}, {1/2,1,20}) == {1/2,1,20});
    assert(nextWeight({y^2-x, z^3-x}, {1,1,10}, {10000000000,1,1}) == {2222222222,1111111111,11111111109});
///

doc ///
    Key
        tropicalHypersurface
        (tropicalHypersurface, RingElement)
        (tropicalHypersurface, List)
        (tropicalHypersurface, Ideal)
        [tropicalHypersurface, Rule]
        [tropicalHypersurface, Valuation]
        Polyhedral
        Cells
        Multiplicities
    Headline
        the tropical hypersurface of a polynomial, or of each of a list
    Usage
        tropicalHypersurface f
        tropicalHypersurface L
    Inputs
        f:RingElement
        L:List
            of RingElements, or an Ideal (its generators)
        Rule => String
            "max" (the textbook initial form) or "min"
        Valuation => ZZ
            a prime p: the hypersurface over the p-adic numbers
    Outputs
        :HashTable
            the weights where the initial form of f keeps two or more terms:
            Polyhedral, a @TO Fan@ (without a valuation) or a
            @TO PolyhedralComplex@ (with one), in the ring's coordinates;
            Cells, its maximal cells as @TT "{vertices, rays}"@ in initform's
            order; Multiplicities, their multiplicities in that order. The
            hypersurface of a monomial is empty: null. For L, a List of them.
    Description
        Example
            R = QQ[x,y];
            T = tropicalHypersurface(x+y+1);
            rays T#Polyhedral
            T#Multiplicities
            C = tropicalHypersurface(x^2+y^2+2*x+2*y+4, Valuation => 2, Rule => "min");
            vertices C#Polyhedral
            C#Multiplicities
///

doc ///
    Key
        tropicalPrevariety
        (tropicalPrevariety, List)
        (tropicalPrevariety, Ideal)
        [tropicalPrevariety, Rule]
        [tropicalPrevariety, Valuation]
    Headline
        the tropical prevariety of polynomials
    Usage
        tropicalPrevariety L
    Inputs
        L:List
            of RingElements, or an Ideal (its generators)
        Rule => String
            "max" or "min"
        Valuation => ZZ
            a prime p
    Outputs
        :HashTable
            the intersection of the hypersurfaces with the cells of their
            common refinement, as for @TO tropicalHypersurface@ (its
            Multiplicities are null); null when it is empty
    Description
        Example
            R = QQ[a,b,c,d];
            P = tropicalPrevariety {a+b+c+d, a*b+b*c+c*d+d*a, a*b*c+b*c*d+c*d*a+d*a*b, a*b*c*d-1};
            rays P#Polyhedral
            P#Cells
///

TEST ///
    -- The README's examples, as Polyhedra's objects.
    R = QQ[x,y];
    T = tropicalHypersurface(x+y+1);
    assert(isWellDefined T#Polyhedral and T#Multiplicities == {1,1,1});
    assert(set entries transpose rays T#Polyhedral === set {{-1,0},{0,-1},{1,1}});
    C = tropicalHypersurface(x^2+y^2+2*x+2*y+4, Valuation => 2, Rule => "min");
    assert(isWellDefined C#Polyhedral and C#Multiplicities == {2,2,2});
    assert(entries vertices C#Polyhedral == {{1},{1}});
    assert(tropicalHypersurface(x*y) === null);
    assert(#tropicalHypersurface({x+y, x*y+1, x}) == 3);
    S = QQ[a,b,c,d];
    P = tropicalPrevariety {a+b+c+d, a*b+b*c+c*d+d*a, a*b*c+b*c*d+c*d*a+d*a*b, a*b*c*d-1};
    assert(isWellDefined P#Polyhedral and P#Multiplicities == {null, null});
    assert(set entries transpose rays P#Polyhedral === set {{-1,1,-1,1},{1,-1,1,-1}});
///

TEST ///
    -- Polyhedra's maximal cones and polyhedra are the block's cells, as sets of vectors.
    R = QQ[x,y,z];
    L = {x^2*y+3*y*z^2-z^3+x, y^2-x*z+2};
    coneSets = T -> (
        M := rays T#Polyhedral;
        set apply(maxCones T#Polyhedral, c -> set apply(c, i -> entries M_i)));
    cellSets = T -> set apply(T#Cells, c -> set c#1);
    scan(tropicalHypersurface L, T -> assert(isWellDefined T#Polyhedral and coneSets T === cellSets T));
    P = tropicalPrevariety(L, Rule => "min");
    assert(isWellDefined P#Polyhedral and coneSets P === cellSets P);
    V = tropicalPrevariety(L, Valuation => 3);
    assert(isWellDefined V#Polyhedral);
    qq := v -> apply(v, x -> x / 1);  -- Polyhedra's vectors are rationals
    polyhedra := set apply(maxPolyhedra V#Polyhedral, c -> (
        set(apply(c#0, i -> {qq entries (vertices V#Polyhedral)_i}) | apply(c#1, i -> qq entries (rays V#Polyhedral)_i))));
    assert(polyhedra === set apply(V#Cells, c -> set(apply(c#0, v -> {qq v}) | apply(c#1, qq))));
///

TEST ///
    -- Rules and primes are checked; initform's own messages end the call.
    R = QQ[x,y];
    marker := temporaryFileName();
    assert(try (tropicalHypersurface(x+y, Rule => "largest"); false) else true);
    assert(try (tropicalHypersurface(x+y, Rule => "classic"); false) else true);
    assert(try (tropicalPrevariety({x+y}, Valuation => 4); false) else true);
    assert(try (tropicalPrevariety({x+y}, Valuation => "2; touch " | marker); false) else true);
    assert(not fileExists marker);
    -- Variables named like the stand-ins, and like the language's own words.
    S = QQ[v0, getSymbol "run", getSymbol "then"];
    T = tropicalHypersurface(S_0 + S_1 + S_2^2);
    assert(#T#Cells == 3 and T#Multiplicities == {1, 1, 1});
    assert(set apply(T#Cells, c -> c#1) === set {{{-5, 4, 2}}, {{1, 1, -4}}, {{4, -5, 2}}});
///