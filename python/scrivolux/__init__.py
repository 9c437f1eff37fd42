"""Readability statistics of English text, counted by the Scrivolux core.

analyse(text) gives the report of one text as a dict: the same keys and values
as one object of ``scrivolux-cli --format=jsonl``; analyse_file(path) the same
for a file, read as scrivolux-cli reads it (.txt, .docx, .odt, .html, .md,
.pdf). analyse_many(texts) gives
the reports of many texts in their order, counted on all processors with the
GIL released. The functions below analyse() read single figures out of that
report, under the names other readability packages give them.

Words the word list lacks count their estimated syllables (unknown="estimate")
or none (unknown="zero"); nothing is ever asked. Only the word list is read,
never a user dictionary, so that every machine of a cluster counts alike.
"""

from ._scrivolux import (
    WordListError,
    __version__,
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
    "analyse_many",
    "csv_header",
    "csv_rows",
    "default_word_list",
    "automated_readability_index",
    "coleman_liau_index",
    "dale_chall_readability_score",
    "flesch_kincaid_grade",
    "flesch_reading_ease",
    "gunning_fog",
    "lexicon_count",
    "linsear_write_formula",
    "mcalpine_eflaw",
    "sentence_count",
    "smog_index",
    "syllable_count",
    "text_standard",
]


def _reader(section, key, doc):
    # The report's JSON writes 100.0 as 100; a grade is a float all the same.
    kind = int if section == "counts" else float

    def read(text, **options):
        value = analyse(text, **options)[section][key]
        return None if value is None else kind(value)

    read.__doc__ = doc + "\n\nThe options are those of analyse()." + (
        "" if kind is int else " None when the text has too few words or sentences.")
    return read


flesch_reading_ease = _reader(
    "figures", "fleschReadingEase", "Flesch Reading Ease: 100 very easy, 0 very hard.")
flesch_kincaid_grade = _reader(
    "figures", "fleschKincaidGradeLevel", "Flesch-Kincaid grade level.")
gunning_fog = _reader("figures", "gunningFogIndex", "Gunning-Fog index.")
smog_index = _reader("indices", "smogGrade", "SMOG grade.")
coleman_liau_index = _reader("indices", "colemanLiauIndex", "Coleman-Liau index.")
automated_readability_index = _reader(
    "indices", "automatedReadabilityIndex", "Automated Readability Index.")
dale_chall_readability_score = _reader(
    "indices", "daleChall", "Dale-Chall score (the formula with its 3,000-word list).")
linsear_write_formula = _reader("indices", "linsearWrite", "Linsear Write grade.")
mcalpine_eflaw = _reader("indices", "mcalpineEflaw", "McAlpine EFLAW score.")
text_standard = _reader(
    "indices", "consensusGrade",
    "The consensus grade: the median of Flesch-Kincaid, Gunning-Fog, SMOG,"
    " Coleman-Liau, ARI and Linsear Write, as a number.")
syllable_count = _reader("counts", "syllables", "Syllables in the text.")
lexicon_count = _reader("counts", "words", "Words in the text.")
sentence_count = _reader("counts", "sentences", "Sentences in the text.")

for _function in __all__[__all__.index("default_word_list") + 1:]:
    globals()[_function].__name__ = _function
    globals()[_function].__qualname__ = _function
del _function
