import os
from typing import Any, Iterable, Literal, Optional, Union

__version__: str

_Path = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]
_Rules = Literal["classic", "careful"]
_Unknown = Literal["estimate", "zero"]

class WordListError(OSError):
    """The word list is missing, unreadable or damaged; filename names it."""

def analyse(
    text: str,
    *,
    name: Optional[str] = ...,
    rules: _Rules = ...,
    unknown: _Unknown = ...,
    dictionary: Optional[_Path] = ...,
    words: bool = ...,
    sentences: int = ...,
) -> dict[str, Any]: ...
def analyse_file(
    path: _Path,
    *,
    rules: _Rules = ...,
    unknown: _Unknown = ...,
    dictionary: Optional[_Path] = ...,
    words: bool = ...,
    sentences: int = ...,
) -> dict[str, Any]: ...
def analyse_many(
    texts: Iterable[str],
    *,
    names: Optional[Iterable[str]] = ...,
    threads: int = ...,
    rules: _Rules = ...,
    unknown: _Unknown = ...,
    dictionary: Optional[_Path] = ...,
    words: bool = ...,
    sentences: int = ...,
) -> list[dict[str, Any]]: ...
def csv_header() -> str: ...
def csv_rows(
    texts: Iterable[str],
    *,
    names: Optional[Iterable[str]] = ...,
    threads: int = ...,
    rules: _Rules = ...,
    unknown: _Unknown = ...,
    dictionary: Optional[_Path] = ...,
) -> list[str]: ...
def default_word_list() -> str: ...

def flesch_reading_ease(text: str, **options: Any) -> Optional[float]: ...
def flesch_kincaid_grade(text: str, **options: Any) -> Optional[float]: ...
def gunning_fog(text: str, **options: Any) -> Optional[float]: ...
def smog_index(text: str, **options: Any) -> Optional[float]: ...
def coleman_liau_index(text: str, **options: Any) -> Optional[float]: ...
def automated_readability_index(text: str, **options: Any) -> Optional[float]: ...
def dale_chall_readability_score(text: str, **options: Any) -> Optional[float]: ...
def linsear_write_formula(text: str, **options: Any) -> Optional[float]: ...
def mcalpine_eflaw(text: str, **options: Any) -> Optional[float]: ...
def text_standard(text: str, **options: Any) -> Optional[float]: ...
def syllable_count(text: str, **options: Any) -> int: ...
def lexicon_count(text: str, **options: Any) -> int: ...
def sentence_count(text: str, **options: Any) -> int: ...
