"""The module's surface: everything public has a docstring, help(vek) reads
the package's own text, and the type stubs name exactly what the module has."""

import ast
import inspect
import os
import pydoc

import vek

STUBS = os.path.join(os.path.dirname(vek.__file__), "__init__.pyi")


def public_members(cls):
    return {n for n in vars(cls) if not n.startswith("_")}


def stub_tree():
    with open(STUBS) as f:
        return ast.parse(f.read())


def test_everything_public_has_a_docstring():
    missing = []
    for name in vek.__all__:
        obj = getattr(vek, name)
        if inspect.isclass(obj) or callable(obj):
            if not (obj.__doc__ or "").strip():
                missing.append(name)
        if inspect.isclass(obj) and not issubclass(obj, BaseException):
            for member in public_members(obj):
                if not (getattr(obj, member).__doc__ or "").strip():
                    missing.append(name + "." + member)
    assert missing == []


def test_help_reads_well():
    text = pydoc.render_doc(vek, renderer=pydoc.plaintext)
    assert "stream depletion and accretion" in text
    for words in ("read_model(path)", "class Model", "class Results", "ReadError", "frame(self, kind='monthly'"):
        assert words in text, words
    assert vek.Model.__module__ == "vek" and vek.run.__module__ == "vek"


def test_stubs_name_what_the_module_has():
    tree = stub_tree()
    classes = {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}
    functions = {node.name for node in tree.body if isinstance(node, ast.FunctionDef)}
    names = {t.id for node in tree.body if isinstance(node, ast.AnnAssign) for t in [node.target]}
    assert set(vek.__all__) == set(classes) | functions | names
    for name, node in classes.items():
        cls = getattr(vek, name)
        stubbed = {n.name for n in node.body if isinstance(n, (ast.FunctionDef,))} | {
            n.target.id for n in node.body if isinstance(n, ast.AnnAssign)}
        stubbed = {n for n in stubbed if not n.startswith("_")}
        if issubclass(cls, BaseException):
            continue
        assert stubbed == public_members(cls), name
    assert os.path.exists(os.path.join(os.path.dirname(vek.__file__), "py.typed"))
