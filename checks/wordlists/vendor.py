#!/usr/bin/env python3
"""Writes the checks' word lists from the unpacked npm packages.

    mkdir /tmp/lists && cd /tmp/lists
    for p in passive-voice@0.1.0 adverb-where@0.2.6 too-wordy@0.3.6 \
             retext-simplify@8.0.0 weasel-words@0.1.1 hedges@2.0.1 fillers@2.0.1 \
             no-cliches@0.3.6; do npm pack $p; done
    for f in *.tgz; do mkdir ${f%.tgz}; tar xzf $f -C ${f%.tgz}; done
    node -e "import('./retext-simplify-8.0.0/package/lib/patterns.js').then(m => {
      const p = m.patterns, out = [];
      for (const k in p) out.push(k + '\\t' + (p[k].replace || []).join('|') + '\\t' + (p[k].omit ? 'omit' : ''));
      require('fs').writeFileSync('simplify.tsv', out.join('\\n') + '\\n')})"
    node -e "import('./hedges-2.0.1/package/index.js').then(m => require('fs').writeFileSync('hedges.txt', m.hedges.join('\\n') + '\\n'))"
    node -e "import('./fillers-2.0.1/package/index.js').then(m => require('fs').writeFileSync('fillers.txt', m.fillers.join('\\n') + '\\n'))"
    python3 checks/wordlists/vendor.py /tmp/lists

Entries are lower-cased and split into words as the careful rules split them
(letters with inner apostrophes; a typographic apostrophe becomes '), so that
"state-of-the-art" becomes "state of the art". What each list leaves out, and
why, is in SOURCE.md.
"""
import os, re, sys

os.chdir(sys.argv[1])
out=os.path.join(os.path.dirname(os.path.abspath(__file__)), '')
def js_array(path, start):
    src=open(path).read()
    i=src.index(start); arr=src[src.index('[',i):src.index('];',i)]
    return [x.replace("\\'","'") for x in re.findall(r"'((?:[^'\\]|\\.)*)'",arr)]
def norm(e):
    e=e.lower().replace('\u2019',"'")
    return ' '.join(re.findall(r"[^\W\d_]+(?:'[^\W\d_]+)*", e))
def write(name, rows):
    seen=set(); lines=[]
    for r in rows:
        k=r.split('\t')[0]
        if k in seen or not k: continue
        seen.add(k); lines.append(r)
    open(out+name,'w').write('\n'.join(lines)+'\n'); print(name,len(lines))

# passive-voice: irregular participles; "been" is itself a form of be.
irr=js_array('passive-voice-0.1.0/package/passive.js','var irregulars')
write('participles.txt',[w for w in irr if w not in {'been'}])

# adverb-where: stems + "y"; adjectives in -ly and words of time, order and frequency dropped.
stems=js_array('adverb-where-0.2.6/package/adverbs.js','const adverbs')
adj={'bubbly','bristly','crinkly','crumbly','cuddly','giggly','jiggly','smelly','sparkly','wrinkly','deadly','lonely','worldly','timely','hourly','quarterly','early','only','many','likely','kindly','irritably','sensibly','presumably','remarkably'}
ordinary={'currently','previously','additionally','alternatively','consequently','finally','eventually','immediately','usually','normally','regularly','occasionally','repeatedly','recently','exclusively','correctly','approximately','equally','mentally','mortally','fatally','accidentally','lately','especially','particularly','exactly','closely','largely','mostly','shortly','hardly','barely','rarely','simply','justly','equally'}
adv=[s+'y' for s in stems]
adv=[a for a in adv if a not in adj and a not in ordinary]+['just']
write('adverbs.txt',adv)

# retext-simplify: the plain-language list; alternatives joined by " or ".
drop_simplify={'it is','there are','there is','your office','in addition','failed to','e.g.','i.e.','and/or','very','interface','parameters','function','component','methodology','maximum','minimum','monitor','implement','delete','option','type','address','operate','validate','equivalent','aircraft','females','request','selection','expertise','capability','maintain','modify','remain','require','requirement','however','therefore','whereas','identify','identical','multiple','previous','initial','literally','overall','determine','contains','provide','function','establish','perform','indicate','proceed','represents','evaluate','submit'}
rows=[]
for l in open('simplify.tsv'):
    k,rep,omit=l.rstrip('\n').split('\t')
    if k in drop_simplify: continue
    alts=[a.replace('\u2019',"'") for a in rep.split('|') if a]
    if not alts: continue
    rows.append(norm(k)+'\t'+' or '.join(alts))
write('plain-language.txt',rows)
simp_keys={r.split('\t')[0] for r in rows}|{norm(k) for k in drop_simplify}

# too-wordy: phrases of several words, those the plain-language list lacks.
tw=js_array('too-wordy-0.3.6/package/too-wordy.js','let wordyWords')
drop_tw={'it was','type of','majority of','in the case of','outside of'}
write('wordy.txt',[norm(w) for w in tw if ' ' in w and w not in drop_tw and norm(w) not in simp_keys])


ws=js_array('weasel-words-0.1.1/package/weasel.js','var weasels')
write('weasel.txt',[norm(w) for w in ws if w not in {'few','many','several','various'}])

hedge_drop={'about','always','around','can','could','may','might','must','should','will','would','some','much','most','many','few','little','like','find','finds','found','read','say','says','certain','clear','rare','consider','considered','considers','estimate','estimated','estimates','diagnostic','indicate','possibility','probability','assumption','doubt','definite','couple','bunch','tend','think','thinks','thought','understand','understands','understood','believe','believed','believes','apparent','possible','probable','often','frequently','usually','rarely','seldom','occasionally','mainly','overall','partially','effectively','generally','mostly','largely','suggest','suggested','suggests','suggestive','assume','assumed','assumes','somebody','someone','something','somewhere','sometimes','unlikely','improbable','inconclusive','doubtful','unsure','at least','so far','and so forth','et cetera','in general','allege','alleged','appear','appears','appeared','consistent with','really','several','rather','pretty'}
hd=[l.strip() for l in open('hedges.txt') if l.strip()]
write('hedges.txt',[norm(w) for w in hd if w not in hedge_drop])

filler_drop={'actual','begin','start','try','so','too','well','right','real','like','most','much','might','whatever','whenever','wherever','whoever','things','stuff','ok','okay','fully','highly','widely','heavily','strongly','frequently','generally','typically','primarily','specifically','precisely','effectively','entirely','easily','badly','nicely','slightly','mostly','largely','usually','hardly','especially','particularly','exactly','really','just','rather'}
fl=[l.strip() for l in open('fillers.txt') if l.strip()]
write('fillers.txt',[norm(w) for w in fl if w not in filler_drop])

cl=js_array('no-cliches-0.3.6/package/cliches.js','let cliches')
write('cliches.txt',[norm(w) for w in cl])
