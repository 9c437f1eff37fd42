"""Readability statistics of English text, counted by the Scrivolux core.

analyse(text) gives the report of one text as a dict: the same keys and values
as one object of ``scrivolux-cli --format=jsonl``; analyse_file(path) the same
for a file, read as scrivolux-cli reads it (.txt, .docx, .odt, .html, .md,
.pdf). analyse_many(texts) gives the reports of many texts in their order,
counted on all processors with the GIL released; analyse_frame(texts) gives
them as a pandas DataFrame, one row per text and one flat column per figure.

The functions below analyse_frame() read single figures, under the names
textstat gives them. Each takes a text or a report that analyse() gave; the
reports of the last 32 texts read this way (with their options; fewer when
they hold over 64 Mi characters between them) are kept, so that asking one
text for several figures costs one analysis.

Words the word list lacks count their estimated syllables (unknown="estimate")
or none (unknown="zero"); nothing is ever asked. Only the word list is read,
never a user dictionary, so that every machine of a cluster counts alike.
"""

import collections
import re
import threading

from ._scrivolux import (
    WordListError,
    __version__,
    _frame_column_names,
    _frame_columns,
    analyse,
    analyse_file,
    analyse_many,
    csv_header,
    csv_rows,
    default_word_list,
)

__all__ = [
    "WordListError",
    "__version__",
    "analyse",
    "analyse_file",
    "analyse_frame",
    "analyse_many",
    "csv_header",
    "csv_rows",
    "default_word_list",
    "frame_columns",
    "automated_readability_index",
    "avg_letter_per_word",
    "avg_sentence_length",
    "avg_syllables_per_word",
    "char_count",
    "coleman_liau_index",
    "dale_chall_readability_score",
    "difficult_words",
    "flesch_kincaid_grade",
    "flesch_reading_ease",
    "gunning_fog",
    "letter_count",
    "lexicon_count",
    "linsear_write_formula",
    "lix",
    "mcalpine_eflaw",
    "monosyllabcount",
    "polysyllabcount",
    "reading_time",
    "sentence_count",
    "smog_index",
    "spache_readability",
    "syllable_count",
    "text_standard",
]


def analyse_frame(texts, *, names=None, threads=0, rules="classic", unknown="estimate",
                  dictionary=None, columns=None, checks=False, target_grade=None):
    """The reports of the texts as a pandas DataFrame, one row per text.

    texts: any iterable of str; a pandas Series gives the frame its index.
    names: the index instead (any hashables, one per text).
    columns: the columns to keep, in that order (all by default, see
    frame_columns()); "error" is always kept, last.
    checks: add "checks", the number of findings of the writing checks, and one
    column per check ("checks_passive", ...).
    The other options are analyse_many()'s.

    The columns are flat snake_case names, each figure once: rules_used,
    looks_like_prose, the counts (words, sentences, syllables, difficult_words,
    letters, ...), the report's figures (flesch_reading_ease,
    flesch_kincaid_grade, gunning_fog, ...), the further indices (smog_grade,
    ..., consensus_grade), consensus_low/high, dale_chall_grades, the Fry
    reading (fry_reading, fry_zone, ...), unknown_words (how many distinct) and
    error. Their values are those of analyse_many()'s dicts. An item that is no
    str (None, NaN) gives a row of missing values with the reason in error; it
    raises nothing.
    """
    import pandas

    if isinstance(texts, (str, bytes)):
        raise TypeError("texts must be an iterable of str, not a single "
                        f"{type(texts).__name__}; use analyse() for one text")
    index = None
    if isinstance(texts, pandas.Series):
        index = texts.index
    elif not isinstance(texts, (list, tuple)):
        texts = list(texts)
    if names is not None:
        index = pandas.Index(list(names), tupleize_cols=False)
        if len(index) != len(texts):
            raise ValueError(f"names holds {len(index)} names for {len(texts)} texts")
    known = _frame_column_names(checks)
    if columns is None:
        chosen = known
    else:
        if isinstance(columns, str):
            columns = [columns]
        chosen = [column for column in columns if column != "error"] + ["error"]
        for column in chosen:
            if column not in known:
                raise ValueError(f"no column {column!r}; the columns are {', '.join(known)}")
    data = _frame_columns(texts, threads=threads, rules=rules, unknown=unknown,
                          dictionary=dictionary, checks=checks, target_grade=target_grade,
                          columns=chosen)
    return pandas.DataFrame(data, index=index, columns=chosen)


def frame_columns(checks=False):
    """The names of analyse_frame()'s columns, in order."""
    return _frame_column_names(checks)


# The reports the readers made, by text and options: the last _CACHE_SIZE, and
# of those only as many as hold _CACHE_CHARACTERS characters of text between
# them (the cache keeps the texts alive).
_CACHE_SIZE = 32
_CACHE_CHARACTERS = 64 * 1024 * 1024
_cache = collections.OrderedDict()
_cached_characters = 0
_cache_lock = threading.Lock()


def _report_of(text, options):
    if isinstance(text, dict):
        return text
    if not isinstance(text, str):
        raise TypeError(f"text must be str or a report from analyse(), not {type(text).__name__}")
    key = (text, tuple(sorted(options.items())))
    try:
        hash(key)
    except TypeError:
        return analyse(text, **options)  # an odd option: analyse() says what is wrong
    with _cache_lock:
        report = _cache.get(key)
        if report is not None:
            _cache.move_to_end(key)
            return report
    report = analyse(text, **options)
    global _cached_characters
    with _cache_lock:
        if key not in _cache:
            _cached_characters += len(text)
        _cache[key] = report
        while len(_cache) > _CACHE_SIZE or (_cached_characters > _CACHE_CHARACTERS
                                            and len(_cache) > 1):
            (gone, _), _ = _cache.popitem(last=False)
            _cached_characters -= len(gone)
    return report


def _reader(name, read, kind, doc):
    def reader(text, **options):
        value = read(_report_of(text, options))
        return None if value is None else kind(value)

    reader.__name__ = reader.__qualname__ = name
    reader.__doc__ = doc + (
        "\n\ntext is a str or a report that analyse() gave; the options are those of"
        " analyse() (for a report, those it was made with count).")
    if kind is float:
        reader.__doc__ += " None when the text has too few words or sentences."
    return reader


def _figure(section, key):
    return lambda report: report[section][key]


def _ratio(report, numerator, denominator):
    counts = report["counts"]
    return counts[numerator] / counts[denominator] if counts[denominator] else None


flesch_reading_ease = _reader(
    "flesch_reading_ease", _figure("figures", "fleschReadingEase"), float,
    "Flesch Reading Ease: 100 very easy, 0 very hard.")
flesch_kincaid_grade = _reader(
    "flesch_kincaid_grade", _figure("figures", "fleschKincaidGradeLevel"), float,
    "Flesch-Kincaid grade level.")
gunning_fog = _reader("gunning_fog", _figure("figures", "gunningFogIndex"), float,
                      "Gunning-Fog index.")
smog_index = _reader("smog_index", _figure("indices", "smogGrade"), float, "SMOG grade.")
coleman_liau_index = _reader("coleman_liau_index", _figure("indices", "colemanLiauIndex"), float,
                             "Coleman-Liau index.")
automated_readability_index = _reader(
    "automated_readability_index", _figure("indices", "automatedReadabilityIndex"), float,
    "Automated Readability Index.")
dale_chall_readability_score = _reader(
    "dale_chall_readability_score", _figure("indices", "daleChall"), float,
    "Dale-Chall score (the formula with its 3,000-word list).")
linsear_write_formula = _reader("linsear_write_formula", _figure("indices", "linsearWrite"),
                                float, "Linsear Write grade.")
mcalpine_eflaw = _reader("mcalpine_eflaw", _figure("indices", "mcalpineEflaw"), float,
                         "McAlpine EFLAW score.")
spache_readability = _reader("spache_readability", _figure("indices", "spache"), float,
                             "Spache grade (revised word list).")
lix = _reader("lix", _figure("indices", "lix"), float,
              "LIX: words per sentence plus the percentage of words over six letters.")
syllable_count = _reader("syllable_count", _figure("counts", "syllables"), int,
                         "Syllables in the text.")
lexicon_count = _reader("lexicon_count", _figure("counts", "words"), int, "Words in the text.")
sentence_count = _reader("sentence_count", _figure("counts", "sentences"), int,
                         "Sentences in the text.")
difficult_words = _reader(
    "difficult_words", _figure("counts", "daleChallUnfamiliarWords"), int,
    "Words not on the Dale-Chall list of familiar words, each occurrence counted.")
polysyllabcount = _reader("polysyllabcount", _figure("counts", "polysyllables"), int,
                          "Words of three or more syllables.")
monosyllabcount = _reader("monosyllabcount", _figure("counts", "monosyllables"), int,
                          "Words of one syllable.")
letter_count = _reader("letter_count", _figure("counts", "letters"), int,
                       "Letters in the words, without punctuation or spaces.")
avg_sentence_length = _reader("avg_sentence_length", _figure("figures", "wordsPerSentence"),
                              float, "Words per sentence.")
avg_syllables_per_word = _reader(
    "avg_syllables_per_word", _figure("figures", "syllablesPerWord"), float,
    "Syllables per word.")
avg_letter_per_word = _reader(
    "avg_letter_per_word", lambda report: _ratio(report, "letters", "words"), float,
    "Letters per word.")

_consensus = _figure("indices", "consensusGrade")


def _grade_suffix(grade):
    if grade % 100 in (11, 12, 13):
        return "th"
    return {1: "st", 2: "nd", 3: "rd"}.get(grade % 10, "th")


def text_standard(text, float_output=False, **options):
    """The consensus grade: the median of Flesch-Kincaid, Gunning-Fog, SMOG,
    Coleman-Liau, ARI and Linsear Write.

    As textstat writes it by default, the two school grades it falls between,
    "8th and 9th grade" for a median from 8.5 to 9.5 (the grade rounded, and the
    one below); with float_output=True, the median itself. None when the text
    has too few words or sentences.

    text is a str or a report that analyse() gave; the options are those of
    analyse()."""
    grade = _consensus(_report_of(text, options))
    if grade is None:
        return None
    if float_output:
        return float(grade)
    upper = int(round(grade))
    lower = upper - 1
    return f"{lower}{_grade_suffix(lower)} and {upper}{_grade_suffix(upper)} grade"


_WHITESPACE = re.compile(r"\s")


def char_count(text, ignore_spaces=True):
    """Characters in the text, without white space unless ignore_spaces=False.

    Counted on the text itself, so a report will not do."""
    if not isinstance(text, str):
        raise TypeError(f"char_count needs the text as str, not {type(text).__name__}")
    return len(_WHITESPACE.sub("", text)) if ignore_spaces else len(text)


def reading_time(text, ms_per_char=14.69):
    """Seconds to read the text: ms_per_char milliseconds for each character
    that is no white space, rounded to hundredths, as textstat reckons it.

    Counted on the text itself, so a report will not do."""
    if not isinstance(text, str):
        raise TypeError(f"reading_time needs the text as str, not {type(text).__name__}")
    return round(char_count(text) * ms_per_char / 1000, 2)
