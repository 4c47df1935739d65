-- Initial forms, Gröbner cones and walk steps with the initform filter.
newPackage(
    "Initform",
    Version => "1.0.0",
    Date => "December 9, 2026",
    Headline => "initial forms, Groebner cones and walk steps with the initform filter",
    Authors => {{Name => "initform's developers"}},
    DebuggingMode => false
    )

export {"initialForms", "groebnerCone", "nextWeight", "Rule", "Valuation",
    "Dimension", "Equations", "Lineality", "Facets", "Interior"}

-- The initform binary: the environment variable INITFORM, or else on PATH.
initformProgram = () -> (
    path := getenv "INITFORM";
    if path == "" then findProgram("initform", "initform --version")
    else (
        cut := regex("[^/]*$", path);
        dir := substring(0, first first cut, path);
        name := substring(first first cut, path);
        findProgram(name, name | " --version", AdditionalPaths => if dir == "" then {} else {dir})))

-- The polynomials of L, a List of RingElements, an Ideal or a Matrix.
polynomialsOf = L -> (
    if instance(L, Ideal) then flatten entries gens L
    else if instance(L, Matrix) then flatten entries L
    else toList L)

-- A weight vector as initform reads it, quoted for the shell: '(1,-1/2)'.
weightText = w -> "'(" | demark(",", apply(w, x -> toString x)) | ")'"

-- Runs initform with these arguments on the polynomials of L: its output,
-- or an error carrying its message.
runInitform = (L, args) -> (
    R := ring first L;
    document := temporaryFileName();
    document << "Q[" | demark(",", toString \ gens R) | "]{" | demark(",", toString \ L) | "}" << close;
    r := runProgram(initformProgram(), args | " --lenient < " | document, RaiseError => false);
    removeFile document;
    if r#"return value" != 0 then (
        said := lines r#"output";
        error("initform: " | (if #said > 0 then last said else r#"error")));
    r#"output")

-- Answer lines as ring elements of R: each distinct polynomial is parsed
-- once, all in one call of value, as the values of a function whose
-- parameters are the ring's variables, so that no global symbol changes.
-- (Many answers share polynomials: over cyclic(6), 2336 of 45000 differ.)
ringElements = (R, texts) -> (
    distinct := unique texts;
    names := apply(#(gens R), i -> "ifv" | toString i);
    body := demark(",", distinct);
    scan(#names, i -> body = replace("\\b" | toString (gens R)#i | "\\b", names#i, body));
    parsed := (value("(" | demark(",", names) | ") -> {" | body | "}")) toSequence gens R;
    byText := hashTable apply(#distinct, i -> distinct#i => parsed#i);
    apply(texts, t -> promote(byText#t, R)))

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

initialForms = method(Options => {Rule => "max", Valuation => null})
initialForms(List, List) := o -> (L, w) -> (
    L = polynomialsOf L;
    if #L == 0 then return {};
    R := ring first L;
    args := " --exact" | ruleSwitch o.Rule | (if o.Valuation === null then "" else " --valuation " | toString o.Valuation);
    if #w > 0 and all(w, v -> instance(v, List)) then (
        -- Many vectors: one run over one reading of the basis.
        vectors := temporaryFileName();
        vectors << concatenate apply(w, v -> "(" | demark(",", apply(v, x -> toString x)) | ")\n") << close;
        out := runInitform(L, "--weights " | vectors | args);
        removeFile vectors;
        answersOf(R, out))
    else first answersOf(R, runInitform(L, weightText w | args)))
initialForms(Ideal, List) := o -> (I, w) -> initialForms(polynomialsOf I, w, o)
initialForms(Matrix, List) := o -> (M, w) -> initialForms(polynomialsOf M, w, o)

-- The vector of a line "label (a,b,c)".
vectorOf = line -> (
    start := first first regex("\\(", line);
    value("{" | substring(start + 1, #line - start - 2, line) | "}"))

groebnerCone = method(Options => {Rule => "max"})
groebnerCone List := o -> L -> (
    L = polynomialsOf L;
    out := runInitform(L, "--cone" | (if o.Rule === "min" then " --min" else ""));
    ls := lines out;
    labelled := label -> apply(select(ls, l -> match("^" | label | " ", l)), vectorOf);
    hashTable {
        Dimension => value last separate(" ", first ls),
        Equations => labelled "equation",
        Lineality => labelled "lineality",
        Facets => labelled "facet",
        Interior => first labelled "interior"})
groebnerCone Ideal := o -> I -> groebnerCone(polynomialsOf I, o)
groebnerCone Matrix := o -> M -> groebnerCone(polynomialsOf M, o)

nextWeight = method(Options => {Rule => "max"})
nextWeight(List, List, List) := o -> (L, w, target) -> (
    L = polynomialsOf L;
    out := runInitform(L, weightText w | " --toward " | weightText target | (if o.Rule === "min" then " --min" else ""));
    vectorOf first lines out)
nextWeight(Ideal, List, List) := o -> (I, w, target) -> nextWeight(polynomialsOf I, w, target, o)

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
