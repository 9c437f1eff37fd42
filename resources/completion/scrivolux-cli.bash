# bash completion for scrivolux-cli                         -*- shell-script -*-

_scrivolux_cli() {
    local cur prev words cword split
    _init_completion -s || return

    case $prev in
    --sentences | --max-grade)
        return
        ;;
    --grade-index)
        COMPREPLY=($(compgen -W 'consensus fk fog smog cl ari linsear dalechall' -- "$cur"))
        return
        ;;
    --dictionary | --custom | --config)
        _filedir
        return
        ;;
    --unknown)
        COMPREPLY=($(compgen -W 'ask zero estimate' -- "$cur"))
        return
        ;;
    --format)
        COMPREPLY=($(compgen -W 'text json csv jsonl sarif' -- "$cur"))
        return
        ;;
    --format-in)
        COMPREPLY=($(compgen -W 'txt docx odt html md pdf' -- "$cur"))
        return
        ;;
    --rules)
        COMPREPLY=($(compgen -W 'auto classic careful' -- "$cur"))
        return
        ;;
    -h | --help | -v | --version)
        return
        ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--json --format= --format-in= --words --sentences --dictionary --custom --unknown=
            --max-grade --grade-index= --rules= --quiet --checks --fail-on-checks --config --no-config --help --version' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi

    # A folder named with a slash at the end is walked.
    _filedir
} &&
    complete -F _scrivolux_cli scrivolux-cli

# ex: filetype=sh
